// Running the previous version's uninstaller (the product's VZUINST.EXE in the
// previous install folder) and checking that the previous version is gone.
#include <gtest/gtest.h>

#include <memory>

#include "machine.h"
#include "removal_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace removal;

namespace {

// Files of a previous installation; the uninstaller knows them all but the note.
const char* const kPreviousFiles[] = {"VZ95.EXE", "VZ.INX", "VZ32.EXE", "VZSTRUP.EXE", "NEXOLT.SYS", "VZ32.CNF"};
const char kUserNote[] = "MYNOTES.TXT";

struct UninstallCase {
  const char* name;
  const char* lockedFile;  // held in use while the uninstaller runs; nullptr: none
  bool uninstallerThere;
  bool expected;           // RunPreviousUninstaller's result
};

void PrintTo(const UninstallCase& c, std::ostream* os) { *os << c.name; }

class PreviousUninstaller : public ::testing::TestWithParam<UninstallCase> {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    folder_ = ScratchFolder("OLDVZ");
    for (const char* name : kPreviousFiles) WriteFileBytes(folder_ + name, std::string("previous ") + name);
    WriteFileBytes(folder_ + kUserNote, "the user's own file");
    // The previous version's records, and the flag the setup sets while it runs the uninstaller.
    SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", "C:\\WINDOWS\\UNINST.EXE -f " + folder_ + "DATA.LOG");
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", kVersion);
    SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall", "1");
  }

  std::string folder_;
};

TEST_P(PreviousUninstaller, TellsWhetherThePreviousVersionIsGone) {
  const auto& c = GetParam();
  if (c.uninstallerThere) WriteFileBytes(folder_ + "VZUINST.EXE", Media("VZUINST.EXE"));
  std::unique_ptr<FileLock> lock;
  if (c.lockedFile) {
    lock = std::make_unique<FileLock>(folder_ + c.lockedFile);
    ASSERT_TRUE(lock->held());
  }
  Robot user;  // the uninstaller run by a setup shows nothing
  auto run = RunStep("RunPreviousUninstaller", user, {.timeoutMs = 30000});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, c.expected ? 1u : 0u);
  EXPECT_TRUE(FileExists(folder_ + kUserNote)) << "a file that is not the product's stays";
  for (const char* name : kPreviousFiles) {
    bool kept = !c.uninstallerThere || (c.lockedFile && std::string(name) == c.lockedFile);
    EXPECT_EQ(FileExists(folder_ + name), kept) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Removal, PreviousUninstaller,
    ::testing::Values(UninstallCase{"EverythingRemoved", nullptr, true, true},
                      UninstallCase{"IndexLeftInUse", "VZ.INX", true, false},
                      UninstallCase{"ProgramLeftInUse", "VZ95.EXE", true, false},
                      UninstallCase{"NoUninstaller", nullptr, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a previous install folder nothing is run: not even an uninstaller
// that a relative path would find beside the helper (the bin folder holds
// one), which would ask the user and so never end here.
TEST(PreviousUninstallerWithoutFolder, RunsNothing) {
  for (const char* uninstPath : {"", "C:\\WINDOWS\\UNINST.EXE", "C:\\WINDOWS\\UNINST.EXE -fXDATA.LOG"}) {
    TestMachine::ClearProductRecords();
    if (*uninstPath) SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", uninstPath);
    Robot user;
    auto run = RunStep("RunPreviousUninstaller", user, {.timeoutMs = 15000});
    EXPECT_FALSE(run.timedOut) << "UninstPath \"" << uninstPath << "\"";
    EXPECT_EQ(run.exitCode, 0u) << "UninstPath \"" << uninstPath << "\": the previous version is not known to be gone";
    CloseWindows("Velzor Uninstall");
  }
  EXPECT_TRUE(FileExists(TestMachine::BinFolder() + "VZ32.EXE"));
}

}  // namespace
