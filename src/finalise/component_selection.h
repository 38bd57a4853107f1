// The component selection dialogs, the scheduler offer and the OEM details dialog.
#pragma once

#include <windows.h>

namespace vz {

// The product Type code that offers the Emergency diskette besides the Rescue diskette.
constexpr int kTypeWithEmergencyDiskette = 3;

void RunComponentSelection();
void StartSchedulerAndWait();

INT_PTR CALLBACK OptionalComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StartupComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OemDetailsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vz
