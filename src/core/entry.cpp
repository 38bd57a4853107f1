// The helper's entry: one run performs the one phase its command line names.
#include <windows.h>

#include "core/command_line.h"
#include "core/outer_setup.h"
#include "core/setup_context.h"
#include "finalise/finalise.h"
#include "preinstall/preinstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using namespace vz;
  if (commandLine == nullptr || commandLine[0] == '\0') return 0;

  g_setup.instance = instance;
  HideOuterSetup();

  // Three independent tests; no switch is a prefix of another.
  if (StartsWithSwitch(commandLine, kInitSetupSwitch)) RunPreInstallation(commandLine);
  if (StartsWithSwitch(commandLine, kRunOnceSwitch)) ResumeAfterRestart();
  if (StartsWithSwitch(commandLine, kEndSetupSwitch)) RunFinalisation(commandLine);

  ShowOuterSetup();
  return 0;
}
