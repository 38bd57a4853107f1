// The drive selection dialog and the rescue confirmation dialog.
#include <windows.h>

#include "core/centre_dialog.h"
#include "core/records.h"
#include "finalise/diskette_steps.h"
#include "resources/resource.h"

namespace vz {

namespace {

constexpr DWORD kDriveABit = 1u << 0;
constexpr DWORD kDriveBBit = 1u << 1;
constexpr int kEmergencyType = 3;

void InitDriveSelect(HWND dialog) {
  CentreDialog(dialog);
  DWORD drives = GetLogicalDrives();
  bool driveAChecked = false;
  if (drives & kDriveABit) {
    CheckDlgButton(dialog, IDC_DRIVE_A, BST_CHECKED);
    driveAChecked = true;
  } else {
    ShowWindow(GetDlgItem(dialog, IDC_DRIVE_A), SW_HIDE);
  }
  if (drives & kDriveBBit) {
    if (!driveAChecked) CheckDlgButton(dialog, IDC_DRIVE_B, BST_CHECKED);
  } else {
    ShowWindow(GetDlgItem(dialog, IDC_DRIVE_B), SW_HIDE);
  }
  if (!(drives & (kDriveABit | kDriveBBit))) {
    MessageBoxA(GetActiveWindow(),
                "No floppy drive detected to save rescue information.\nSetup cannot save rescue information.",
                "No Floppy Drive Detected", MB_OK);
    EndDialog(dialog, kNoDrive);
  }
  if (ReadProductType() == kEmergencyType)
    SetDlgItemTextA(dialog, IDC_DRIVE_TEXT,
                    "Select the target drive for creating Emergency/ Rescue diskettes.  If you choose Cancel, you "
                    "can create them after installation from within the Velzor scanner.");
}

}  // namespace

INT_PTR CALLBACK DriveSelectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDriveSelect(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK)
        EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_DRIVE_B) == BST_CHECKED ? 1 : 0);
      else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, kNoDrive);
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK RescueDoneDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);  // the close box and Esc do not end it
      break;
  }
  return FALSE;
}

}  // namespace vz
