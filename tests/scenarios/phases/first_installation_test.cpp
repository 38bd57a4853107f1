// A first installation's pre-installation on a machine without the product:
// the records handed on, the OEM copy, the warning and the scan.
#include <gtest/gtest.h>

#include "machine.h"
#include "outer_setup_window.h"
#include "phases_machine.h"
#include "robot.h"

using namespace bench;
using namespace phases;

namespace {

TEST(FirstInstallation, PreInstallationWarnsScansAndLetsSetupGoOn) {
  auto machine = TestMachine::Prepared(Os::WindowsNT);
  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Warning").Containing("other anti-virus").WithButtons("OK|Cancel")).Answer(IDOK);
  user.Expect(Dialog("Pre-Install Virus Scan"));
  auto run = machine.RunHelper("/INITSETUP*C:\\windows*C:\\VZ*1*2*5*0*0*x*5.0", user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "TempCurrentVersion").value_or(""), "5.0");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "Type").value_or(""), "2");
}

TEST(FirstInstallation, CancelAtTheWarningClosesTheOuterSetup) {
  auto machine = TestMachine::Prepared(Os::WindowsNT);
  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Warning")).Answer(IDCANCEL);
  machine.RunHelper("/initsetup*C:\\windows*C:\\VZ*1*2*5*0*0*x*5.0", user);
  EXPECT_EQ(setup.Events(), "hidden closed");
  EXPECT_FALSE(user.Saw("Pre-Install Virus Scan"));
}

// --- The OEM copy ------------------------------------------------------------------

struct OemCase {
  const char* name;
  const char* flag;  // token 6
  bool oemCopy;
};

void PrintTo(const OemCase& c, std::ostream* os) { *os << c.name; }

class OemFlag : public PhasesMachine, public ::testing::WithParamInterface<OemCase> {};

// A nonzero flag shows the OEM details dialog and marks the copy; 0 removes
// what an earlier OEM installation recorded.
TEST_P(OemFlag, DecidesTheOemRecords) {
  const auto& c = GetParam();
  auto machine = Machine(Os::Windows95);
  SetRegText(HKEY_CURRENT_USER, kOemKey, "OEM Name", "An Earlier Reseller");
  OuterSetupWindow setup;
  Robot user;
  if (c.oemCopy) user.Expect(Dialog(kOemCaption)).Type(1010, "Corner Shop Computers").Click(IDOK);
  ExpectWarningAndScan(user);
  auto run = machine.RunHelper(InitSetup("1", c.flag), user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  if (c.oemCopy) {
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Copy"), "1");
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Name"), "Corner Shop Computers");
  } else {
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOemKey));
  }
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "Type"), "1");
  EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Type"), "1");
}

INSTANTIATE_TEST_SUITE_P(Phases, OemFlag,
                         ::testing::Values(OemCase{"OemCopy", "1", true}, OemCase{"OemCopyWithBlanks", " 01", true},
                                           OemCase{"NotAnOemCopy", "0", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// After a restart the product is not installed here any more (the previous
// version was removed before it): no warning and no scan again, the records
// are written all the same, and the installation goes ahead.
TEST_F(PhasesMachine, AfterARestartWithNothingInstalledNothingIsAsked) {
  auto machine = Machine(Os::WindowsNT);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall", "1");
  OuterSetupWindow setup;
  Robot user;  // no window at all
  machine.RunHelper(InitSetup("2"), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion"), kVersion);
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "Type"), "2");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOemKey));
}

}  // namespace
