// The component selection dialogs, the scheduler offer and the OEM details dialog.
#pragma once

#include <windows.h>

namespace vz {

void RunComponentSelection();
void StartSchedulerAndWait();

INT_PTR CALLBACK OptionalComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StartupComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OemDetailsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vz
