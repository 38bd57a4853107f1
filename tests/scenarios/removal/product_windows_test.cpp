// Closing the product's running programs before the previous version is
// removed: the tool bar and the scheduler are closed, the main program is
// waited out, and nothing restarts while the on-line protection is not loaded.
#include <gtest/gtest.h>

#include "machine.h"
#include "removal_machine.h"
#include "robot.h"

using namespace bench;
using namespace removal;

namespace {

class ProductWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    CloseWindows("Velzor On-Line Protection");  // no protection loaded in these cases
    CloseWindows("VZTileWindow");
  }

  static void ExpectNoRestartRecorded() {
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall"));
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv"));
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue));
  }
};

TEST_F(ProductWindows, ToolBarAndSchedulerAreClosedWithoutAMessage) {
  RunningProgram toolbar("TOOLBAR.EXE");
  RunningProgram scheduler("VZSCHED.EXE", "/startup");
  ASSERT_TRUE(WaitForWindow("Velzor ToolBar"));
  HWND resident = WaitForWindow("VZ Scheduler");
  ASSERT_TRUE(resident);
  EXPECT_FALSE(IsWindowVisible(resident)) << "the resident scheduler's window is hidden";

  Robot user;  // no message is expected
  auto run = RunStep("--version 5.0 CloseProductWindows " + MediaSource(), user);
  EXPECT_EQ(run.exitCode, 0u) << "no restart was started";
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  EXPECT_TRUE(toolbar.Ended()) << "the tool bar got WM_CLOSE and ended";
  EXPECT_TRUE(scheduler.Ended()) << "the scheduler got WM_CLOSE and ended";
  ExpectNoRestartRecorded();
}

TEST_F(ProductWindows, NothingRunningEndsAtOnce) {
  Robot user;
  auto run = RunStep("--version 5.0 CloseProductWindows " + MediaSource(), user, {.timeoutMs = 15000});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  ExpectNoRestartRecorded();
}

// The main program is left for the user to close: the message comes back
// after each OK for as long as its window exists.
TEST_F(ProductWindows, TheMainProgramIsWaitedOutMessageAfterMessage) {
  RunningProgram scanner("VZ32.EXE");
  HWND main = WaitForWindow("VZTileWindow");
  ASSERT_TRUE(main);

  Robot user;
  auto runningMessage = [] {
    return MessageBox("Velzor Setup").WithText(kRunningText).WithIcon("information").WithButtons("OK");
  };
  user.Expect(runningMessage()).Answer(IDOK);
  user.Expect(runningMessage())
      .Do(
          [main](HWND, Robot& robot) {
            PostMessageA(main, WM_CLOSE, 0, 0);  // the user closes the program, then answers
            if (!WaitGone(main, 5000)) robot.Fail("VZ32.EXE did not close on WM_CLOSE");
          },
          "close VZ32.EXE")
      .Answer(IDOK);
  auto run = RunStep("--version 5.0 CloseProductWindows " + MediaSource(), user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(user.CountSeen("Velzor Setup"), 2) << user.Transcript();
  EXPECT_EQ(user.Find("Velzor Setup").owner, "none") << "the helper has no active window of its own";
  EXPECT_TRUE(scanner.Ended());
  ExpectNoRestartRecorded();
}

}  // namespace
