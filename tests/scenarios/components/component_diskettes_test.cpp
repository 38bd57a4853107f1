// The interactive end of an installation on a machine with a diskette drive
// B: (its own pristine machine, see CMakeLists.txt): the diskettes chosen in
// the start-up components dialog are the ones written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "components_machine.h"
#include "machine.h"
#include "robot.h"

using namespace bench;
using namespace components;

namespace {

bool HasRescueFiles() { return FileExists("B:\\PART.INF") && FileExists("B:\\BOOT.INF") && FileExists("B:\\CMOS.INF"); }
bool HasEmergencyFiles() { return FileExists("B:\\EMERGNCY.INF") && FileExists("B:\\VZ32.EXE"); }

class DiskettesChosen : public ComponentsMachine {
 protected:
  void SetUp() override {
    ComponentsMachine::SetUp();
    CopyFileA((TestMachine::BinFolder() + "VZRESCUE.DLL").c_str(), (kInstall + "VZRESCUE.DLL").c_str(), FALSE);
    WriteFileBytes(kInstall + "VZ32.EXE", "scanner program bytes");
    WriteFileBytes(kInstall + "SIGSCAN.DLL", "signature library bytes");
    WriteFileBytes(kInstall + "VZ.INX", "signature index bytes");
    for (const char* name : {"PART.INF", "BOOT.INF", "CMOS.INF", "EMERGNCY.INF", "VZ32.EXE", "SIGSCAN.DLL", "VZ.INX",
                             "README.TXT"})
      DeleteFileA((std::string("B:\\") + name).c_str());
  }

  static void Begin(Robot& user) {
    user.Expect(MessageBox("Warning")).Answer(IDOK);
    user.Expect(Dialog("Select Components to Install")).SetCheck(1024, false).Click(IDOK);
    user.Expect(Dialog("Setup")).Click(IDOK);
    user.Expect(Dialog("Select Drive")).Click(IDOK);  // B:, the only drive, is checked
  }
  static void End(Robot& user) { user.Expect(MessageBox("Schedule Velzor Scanner")).Answer(IDNO); }
};

struct DisketteCase {
  const char* name;
  Os os;
  const char* type;
  bool rescue;
  bool emergency;
};

void PrintTo(const DisketteCase& c, std::ostream* os) { *os << c.name; }

class EachChoice : public DiskettesChosen, public ::testing::WithParamInterface<DisketteCase> {};

TEST_P(EachChoice, WritesTheChosenDiskettesAlone) {
  const auto& c = GetParam();
  SetType(c.type);
  Robot user;
  Begin(user);
  if (c.rescue) {
    user.Expect(MessageBox("Insert Rescue Diskette")).Answer(IDOK);
    user.Expect(Dialog("Rescue Disk Created")).Click(IDOK);
  }
  if (c.emergency) user.Expect(MessageBox("Insert Emergency Diskette")).Answer(IDOK);
  End(user);
  RunOps(c.os, "RunComponentSelection " + kResult, user);
  EXPECT_EQ(ReadChoices(), (Choices{0, 0, 1, 1, 1, c.rescue, c.emergency}));
  EXPECT_EQ(HasRescueFiles(), c.rescue);
  EXPECT_EQ(HasEmergencyFiles(), c.emergency);
}

INSTANTIATE_TEST_SUITE_P(Cases, EachChoice,
                         ::testing::Values(DisketteCase{"NT_Type3_EmergencyAlone", Os::WindowsNT, "3", false, true},
                                           DisketteCase{"Win95_Type3_Both", Os::Windows95, "3", true, true},
                                           DisketteCase{"Win95_Type2_RescueAlone", Os::Windows95, "2", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
