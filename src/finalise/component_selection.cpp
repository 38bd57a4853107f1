// The interactive end of an installation: optional components, start-up
// components, diskettes, and the offer to start the scheduler.
#include "finalise/component_selection.h"

#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "finalise/config_files.h"
#include "finalise/diskettes.h"
#include "finalise/shell_integration.h"
#include "finalise/word_protection.h"
#include "resources/resource.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr char kSchedulerProgram[] = "VZSCHED.EXE";
constexpr char kSchedulerTitle[] = "Velzor Scheduler";
constexpr int kSchedulerShowCommand = SW_SHOWNORMAL;  // 5
constexpr DWORD kSchedulerStartMs = 2500;  // the scheduler shows its window within this time
constexpr DWORD kSchedulerPollMs = 20;     // longest wait between two looks at its window

int RunDialog(int templateId, DLGPROC procedure) {
  return static_cast<int>(
      DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(templateId), nullptr, procedure, 0));
}

// Keeps this thread's messages flowing until the window is hidden or gone.
// Waits for messages between looks instead of spinning.
void DispatchWhileVisible(HWND window) {
  while (IsWindowVisible(window)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {  // leave it for whoever asked the thread to end
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!IsWindowVisible(window)) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kSchedulerPollMs, QS_ALLINPUT);
  }
}

}  // namespace

void StartSchedulerAndWait() {
  char program[kPathCapacity];
  CopyText(program, g_setup.installFolder);
  if (!AppendText(program, kSchedulerProgram)) return;  // a cut path would name another program
  ExecFile(program, "", kSchedulerShowCommand, 0, 0);
  Sleep(kSchedulerStartMs);
  HWND scheduler = FindWindowA(nullptr, kSchedulerTitle);
  if (!scheduler) return;
  DispatchWhileVisible(scheduler);
}

void RunComponentSelection() {
  RunDialog(IDD_OPTIONAL_COMPONENTS, OptionalComponentsDlgProc);
  if (g_choices.WordProtection) InstallWordProtection();
  if (g_choices.ShellExtensions) InstallShellVerbs();

  int startupTemplate = ReadProductType() == kTypeWithEmergencyDiskette ? IDD_STARTUP_COMPONENTS_TYPE3
                                                                        : IDD_STARTUP_COMPONENTS;
  RunDialog(startupTemplate, StartupComponentsDlgProc);
  WriteStartupComponents();  // whatever the user chose, all three are recorded
  if (g_choices.RescueDiskette || g_choices.EmergencyDiskette) CreateDiskettes();

  if (g_choices.Scheduler &&
      MessageBoxA(nullptr,
                  "Velzor comes with a powerful scheduler to schedule the scans.\n"
                  "Would you like to schedule the Velzor scanner now?",
                  "Schedule Velzor Scanner", MB_YESNO | MB_ICONQUESTION) == IDYES)
    StartSchedulerAndWait();
}

}  // namespace vz
