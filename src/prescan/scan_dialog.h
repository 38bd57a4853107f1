// The scan progress dialog of the pre-install scan.
#pragma once

#include <windows.h>

namespace vz {

INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vz
