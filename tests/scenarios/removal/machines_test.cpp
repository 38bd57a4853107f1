// Cases on machines of their own (see CMakeLists.txt): the restart that
// unloads the on-line protection, the installation's continuation after it,
// and the setup disk asked for in drive A:. This program owns no window, so
// that a restart of Windows leaves it running (it ends every program with one).
#include <gtest/gtest.h>

#include "machine.h"
#include "nexolt_protocol.h"
#include "removal_machine.h"
#include "robot.h"
#include "session_guard.h"

using namespace bench;
using namespace removal;

namespace {

const char* const kStartupValues[] = {"Velzor On-Line Protection", "Velzor ToolBar", "Velzor Scheduler"};
// The setup disk the continuation starts SETUP.EXE from: SETUP.EXE alone, so
// that the setup started again shows its window and goes no further (without
// its SETUP.INI it stops at its message) while the case looks at it.
const std::string kSetupDisk = "C:\\SETUPDSK";

// What the installation has recorded before the removal starts: the version
// handed over, the answer kept for a restart, and the product's start-up entries.
void RecordInstallationSoFar() {
  TestMachine::ClearProductRecords();
  SetProgramOs("vzset.exe", Os::WindowsNT);
  SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", kVersion);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer", "1");
  for (const char* value : kStartupValues)
    SetRegText(HKEY_LOCAL_MACHINE, kRunKey, value, TestMachine::MediaFolder() + "NEXOLT.EXE");
  WriteFileBytes(kSetupDisk + "\\SETUP.EXE", Media("SETUP.EXE"));
}

HWND ProtectionWindow() { return FindWindowA(vznexolt::kWindowClass, nullptr); }

// The removal step with the on-line protection loaded: the user reads the
// reboot message and presses OK.
RunResult CloseProductWindowsWithProtectionLoaded(const RunOptions& options = {}) {
  Robot user;
  user.Expect(MessageBox("Velzor Setup").WithText(kRebootText).WithIcon("information").WithButtons("OK"))
      .Answer(IDOK);
  return RunStep("--version 5.0 CloseProductWindows " + kSetupDisk, user, options);
}

void ExpectContinuationRecords() {
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall").value_or("(none)"), "1");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv").value_or("(none)"), kSetupDisk);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer").value_or("(none)"), "1")
      << "the answer kept for the run after the restart";
  for (const char* value : kStartupValues)
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, value)) << value << " is still a start-up entry";
}

// --- The on-line protection loaded ---------------------------------------------------

// The restart is refused here, so that what was recorded before it can be read.
TEST(OnlineProtection, RecordsTheContinuationAndAsksForARestart) {
  SessionGuard guard;
  RecordInstallationSoFar();
  RunningProgram protection("NEXOLT.EXE");
  ASSERT_TRUE(WaitForWindow(nullptr, 10000, vznexolt::kWindowClass));

  auto run = CloseProductWindowsWithProtectionLoaded();
  EXPECT_EQ(run.exitCode, 1u) << "the step tells its caller that a restart has been started";
  EXPECT_TRUE(guard.WaitAsked(10000)) << "Windows was not asked to restart";
  ExpectContinuationRecords();
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue).value_or("(none)"),
            TestMachine::BinFolder() + "vzset.exe /runonce")
      << "the helper's own folder, then the command";
}

// --- Across a real restart ----------------------------------------------------------

// The restart ends the programs with windows (the protection, the helper) and
// runs the boot steps, RunOnce among them; the next program of this case,
// `wineboot -r`, is a further start of Windows.
TEST(Restart, BeforeIt) {
  RecordInstallationSoFar();
  RunningProgram protection("NEXOLT.EXE");
  ASSERT_TRUE(WaitForWindow(nullptr, 10000, vznexolt::kWindowClass));
  CloseProductWindowsWithProtectionLoaded();
  for (int waited = 0; RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue) && waited < 30000; waited += 100)
    Sleep(100);
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue)) << "the restart did not run RunOnce";
  EXPECT_TRUE(protection.Ended()) << "the restart ends the on-line protection";
}

TEST(Restart, AfterIt) {
  HWND setup = WaitForWindow("Setup", 30000);
  ASSERT_TRUE(setup) << "the setup was not started again";
  EXPECT_TRUE(SameFile(ProgramOf(setup), kSetupDisk + "\\SETUP.EXE")) << ProgramOf(setup);
  int setups = 0;
  EnumWindows(
      [](HWND window, LPARAM count) {
        char title[16] = "";
        GetWindowTextA(window, title, sizeof title);
        if (!strcmp(title, "Setup") && IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&setups));
  EXPECT_EQ(setups, 1) << "the continuation runs once";
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue));
  ExpectContinuationRecords();
  EXPECT_FALSE(ProtectionWindow()) << "the on-line protection came back after the restart";
  PostMessageA(setup, WM_CLOSE, 0, 0);
}

// --- The setup disk in drive A: (mapped to an empty folder) ------------------------

constexpr char kDiskSetup[] = "A:\\SETUP.EXE";

class SetupDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    DeleteFileA(kDiskSetup);
    CloseWindows("Setup");
  }
  void TearDown() override { CloseWindows("Setup"); }

  static WindowSpec Prompt(const char* buttons) {
    return MessageBox("Velzor Setup")
        .WithText("Insert Velzor Setup disk 1 in drive A")
        .WithIcon("information")
        .WithButtons(buttons);
  }
  // The user puts the disk in, then answers OK.
  static void InsertDisk(Step& step) {
    step.Do([](HWND, Robot&) { WriteFileBytes(kDiskSetup, Media("SETUP.EXE")); }, "insert the setup disk")
        .Answer(IDOK);
  }
  static RunResult RunOnceWithSetupOnA(Robot& user) {
    auto machine = TestMachine::Prepared(Os::Windows95);
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", kVersion);
    SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv", "a:\\");
    return machine.RunHelper("/runonce", user, {.timeoutMs = 30000});
  }
};

// The prompt names the drive in upper case and comes back after each OK
// until SETUP.EXE is there; it has no way out but the disk.
TEST_F(SetupDisk, WaitForSetupDiskAsksUntilTheDiskIsIn) {
  Robot user;
  user.Expect(Prompt("OK")).Answer(IDOK);
  InsertDisk(user.Expect(Prompt("OK")));
  auto run = RunStep("WaitForSetupDisk a:", user, {.timeoutMs = 30000});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(user.CountSeen("Velzor Setup"), 2) << user.Transcript();
}

TEST_F(SetupDisk, WaitForSetupDiskWithTheDiskInAsksNothing) {
  WriteFileBytes(kDiskSetup, Media("SETUP.EXE"));
  Robot user;
  auto run = RunStep("WaitForSetupDisk A:\\", user, {.timeoutMs = 15000});
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
}

TEST_F(SetupDisk, RunOnceStartsTheSetupOnTheDiskOnceItIsIn) {
  Robot user;
  user.Expect(Prompt("OK|Cancel")).Answer(IDOK);
  InsertDisk(user.Expect(Prompt("OK|Cancel")));
  auto run = RunOnceWithSetupOnA(user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(user.CountSeen("Velzor Setup"), 2) << user.Transcript();
  HWND setup = WaitForWindow("Setup");
  ASSERT_TRUE(setup) << "SETUP.EXE was not started";
  EXPECT_TRUE(SameFile(ProgramOf(setup), kDiskSetup)) << ProgramOf(setup);
}

TEST_F(SetupDisk, CancelAtTheRunOncePromptStartsNothing) {
  Robot user;
  user.Expect(Prompt("OK|Cancel")).Answer(IDOK);
  user.Expect(Prompt("OK|Cancel")).Answer(IDCANCEL);
  auto run = RunOnceWithSetupOnA(user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(WaitForWindow("Setup", 1500)) << "a setup was started after Cancel";
}

}  // namespace
