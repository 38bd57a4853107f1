#include "core/centre_dialog.h"

namespace vz {

void CentreDialog(HWND dialog) {
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT rect;
  GetWindowRect(dialog, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  MoveWindow(dialog, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height, FALSE);
}

}  // namespace vz
