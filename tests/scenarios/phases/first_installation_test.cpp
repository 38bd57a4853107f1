// A first installation's two phases on a machine without the product.
#include <gtest/gtest.h>

#include "machine.h"
#include "outer_setup_window.h"
#include "robot.h"

using namespace bench;

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

}  // namespace
