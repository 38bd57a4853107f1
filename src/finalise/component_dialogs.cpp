// The optional components and start-up components dialogs, and their help.
#include <windows.h>

#include "core/centre_dialog.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "finalise/component_selection.h"
#include "finalise/word_protection.h"
#include "finalise/word_state.h"
#include "resources/resource.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr char kHelpFileName[] = "VZSET.HLP";
constexpr DWORD kHelpStartupComponents = 74496;   // 0x12300: start-up choices, Rescue diskette
constexpr DWORD kHelpStartupDiskettes = 74497;    // 0x12301: start-up choices, Rescue and Emergency
constexpr DWORD kHelpOptionalComponents = 74498;  // 0x12302: Word protection, shell extensions

constexpr int kGetOsWindows95 = 1;  // what GetOS returns on Windows 95

// The help file, built afresh for every call: the helper's own folder and
// "VZSET.HLP". False when the path does not fit: a cut path would name
// another file.
bool BuildHelpFilePath(char (&path)[kPathCapacity]) {
  path[0] = '\0';
  GetModuleDirectory(path, static_cast<int>(kPathCapacity));
  path[kPathCapacity - 1] = '\0';
  return AppendText(path, kHelpFileName);
}

void ShowHelp(HWND dialog, DWORD context) {
  char path[kPathCapacity];
  if (BuildHelpFilePath(path)) WinHelpA(dialog, path, HELP_CONTEXT, context);
}

// Closes the help window this dialog may have opened (nothing happens when
// none is open).
void QuitHelp(HWND dialog) {
  char path[kPathCapacity];
  BuildHelpFilePath(path);
  WinHelpA(dialog, path, HELP_QUIT, 0);
}

void ShowCheck(HWND dialog, int control, int flag) {
  SendDlgItemMessageA(dialog, control, BM_SETCHECK, flag ? BST_CHECKED : BST_UNCHECKED, 0);
}

int ReadCheck(HWND dialog, int control) {
  return static_cast<int>(SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0));
}

void Disable(HWND dialog, int control) {
  if (HWND item = GetDlgItem(dialog, control)) EnableWindow(item, FALSE);
}

bool IsType3() { return ReadProductType() == kTypeWithEmergencyDiskette; }

// Word counts as found when its program file is located and exists.
bool IsWordFound() {
  char program[kPathCapacity] = "";
  if (!LocateWordProgram(program)) return false;
  program[kPathCapacity - 1] = '\0';
  return IsExistingFile(program);
}

// Every dialog of these two ends only through its OK or Next button: any other
// command (a check box clicked, Esc) and the dialog's end close the help window.
INT_PTR OtherComponentsMessage(HWND dialog, UINT message) {
  if (message == WM_COMMAND || message == WM_DESTROY) {
    QuitHelp(dialog);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK OptionalComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    g_choices.ShellExtensions = 1;
    ShowCheck(dialog, IDC_SHELL_EXTENSIONS, g_choices.ShellExtensions);
    g_choices.WordProtection = IsWordFound() ? 1 : 0;
    if (!g_choices.WordProtection)
      MessageBoxA(nullptr,
                  "Could not locate MS-Word. If you install MS-Word later, load it and open VZFW.DOC file for "
                  "macro virus protection.",
                  "Warning", MB_OK | MB_ICONINFORMATION);
    ShowCheck(dialog, IDC_WORD_PROTECTION, g_choices.WordProtection);
    if (!g_choices.WordProtection) Disable(dialog, IDC_WORD_PROTECTION);
    return FALSE;  // no control gets the initial focus
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK:
        g_choices.WordProtection = ReadCheck(dialog, IDC_WORD_PROTECTION);
        g_choices.ShellExtensions = ReadCheck(dialog, IDC_SHELL_EXTENSIONS);
        EndDialog(dialog, 1);
        return TRUE;
      case IDC_HELP_OPTIONAL:
        ShowHelp(dialog, kHelpOptionalComponents);
        return TRUE;
    }
  }
  return OtherComponentsMessage(dialog, message);
}

INT_PTR CALLBACK StartupComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    g_choices.Scheduler = 1;
    g_choices.OnlineProtection = 1;
    g_choices.Toolbar = 1;
    g_choices.EmergencyDiskette = IsType3() ? 1 : 0;
    bool windows95 = GetOS() == kGetOsWindows95;
    g_choices.RescueDiskette = windows95 ? 1 : 0;
    ShowCheck(dialog, IDC_ONLINE_PROTECTION, g_choices.OnlineProtection);
    ShowCheck(dialog, IDC_SCHEDULER, g_choices.Scheduler);
    ShowCheck(dialog, IDC_TOOLBAR, g_choices.Toolbar);
    if (IsType3()) ShowCheck(dialog, IDC_EMERGENCY_DISK, g_choices.EmergencyDiskette);
    ShowCheck(dialog, IDC_RESCUE_DISK, g_choices.RescueDiskette);
    if (!windows95) {
      // The Rescue diskette is for Windows 95 only; the Emergency diskette stays offered.
      Disable(dialog, IDC_RESCUE_DISK);
      Disable(dialog, IDC_RESCUE_LABEL);
      Disable(dialog, IDC_RESCUE_TEXT);
    }
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK:
        g_choices.OnlineProtection = ReadCheck(dialog, IDC_ONLINE_PROTECTION);
        g_choices.Scheduler = ReadCheck(dialog, IDC_SCHEDULER);
        g_choices.Toolbar = ReadCheck(dialog, IDC_TOOLBAR);
        if (IsType3()) g_choices.EmergencyDiskette = ReadCheck(dialog, IDC_EMERGENCY_DISK);
        g_choices.RescueDiskette = ReadCheck(dialog, IDC_RESCUE_DISK);
        EndDialog(dialog, 1);
        return TRUE;
      case IDC_HELP_STARTUP:
        ShowHelp(dialog, IsType3() ? kHelpStartupDiskettes : kHelpStartupComponents);
        return TRUE;
    }
  }
  return OtherComponentsMessage(dialog, message);
}

}  // namespace vz
