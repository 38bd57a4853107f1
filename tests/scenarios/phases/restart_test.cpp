// The pre-installation that has to restart Windows to unload the on-line
// protection: once the restart has been started the phase stops, whatever
// the answer, so that the records the run after the restart takes its answer
// from stay as they are. Each case runs on a machine of its own, from this
// program, whose only window refuses the end of the session: the restart is
// asked for but does not happen, and the records can be read.
#include <windows.h>

#include <gtest/gtest.h>

#include "machine.h"
#include "nexolt_protocol.h"
#include "phases_machine.h"
#include "robot.h"
#include "session_guard.h"

using namespace bench;
using namespace phases;

namespace {

const char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class RestartStop : public PhasesMachine, public ::testing::WithParamInterface<int> {};

TEST_P(RestartStop, LeavesTheContinuationRecords) {
  const int answer = GetParam();
  SessionGuard guard;
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  HANDLE protection = StartProgram(TestMachine::MediaFolder() + "NEXOLT.EXE", "");
  ASSERT_TRUE(protection);
  for (int waited = 0; !FindWindowA(vznexolt::kWindowClass, nullptr) && waited < 10000; waited += 50) Sleep(50);

  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(MessageBox("Velzor already installed")).Answer(answer);
  user.Expect(MessageBox("Velzor Setup")
                  .WithText("Velzor Setup will now reboot the system to remove Online Protection.")
                  .WithButtons("OK"))
      .Answer(IDOK);
  auto run = machine.RunHelper(InitSetup(), user, {.timeoutMs = 60000});
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(guard.WaitAsked(10000)) << "Windows was not asked to restart";

  // What the run after the restart takes its answer and its media from.
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall"), "1");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer"), answer == IDYES ? "1" : "0");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv"), Source());
  EXPECT_NE(Reg(HKEY_LOCAL_MACHINE, kRunOnceKey, "Velzor Installation"), "(none)");
  // Nothing of the previous version was touched before the restart.
  EXPECT_TRUE(FileExists(kPrevious + "VZ95.EXE")) << "the uninstaller ran";
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionKey)) << "the previous version's key was dropped";

  if (WaitForSingleObject(protection, 0) == WAIT_TIMEOUT) TerminateProcess(protection, 0);
  CloseHandle(protection);
}

INSTANTIATE_TEST_SUITE_P(Phases, RestartStop, ::testing::Values(IDYES, IDNO),
                         [](const auto& info) { return info.param == IDYES ? "Yes" : "No"; });

}  // namespace
