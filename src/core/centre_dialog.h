// Every dialog of the helper centres itself on the screen when it initialises.
#pragma once

#include <windows.h>

namespace vz {

void CentreDialog(HWND dialog);

}  // namespace vz
