// Closing the product's running programs before its files are touched, and
// the restart that unloads its on-line protection.
#include <windows.h>

#include "core/records.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"
#include "services/misc.h"

namespace vz {

namespace {

// The product's window titles: while the first exists the product is running;
// the other two are closed.
constexpr const char* kProductWindowTitles[] = {"VZTileWindow", "Velzor ToolBar", "VZ Scheduler"};

constexpr char kProductRunningText[] =
    "Velzor is currently running.\nVelzor Setup will not be able to\nproceed till Velzor is running.\n\n"
    "Close the application to continue with the setup.";
constexpr char kRebootText[] = "Velzor Setup will now reboot the system to remove Online Protection.";

}  // namespace

bool CloseProductWindows(const char* sourceFolder) {
  for (int i = 1; i <= 2; ++i)
    if (HWND window = FindWindowA(nullptr, kProductWindowTitles[i])) SendMessageA(window, WM_CLOSE, 0, 0);

  // The main program is not closed for the user: setup waits until the user has closed it.
  while (FindWindowA(nullptr, kProductWindowTitles[0]))
    MessageBoxA(GetActiveWindow(), kProductRunningText, kVelzorSetupCaption, MB_OK | MB_ICONINFORMATION);

  if (!IsAutoProtectLoaded()) return false;
  MessageBoxA(GetActiveWindow(), kRebootText, kVelzorSetupCaption, MB_OK | MB_ICONINFORMATION);
  SetCalledFromInstall();
  ScheduleRestartContinuation(sourceFolder);
  RemoveEntriesFromStartup();
  RestartWindows();
  // Windows is going down: the run after the restart continues from the
  // records just written, so the caller must leave them as they are.
  return true;
}

}  // namespace vz
