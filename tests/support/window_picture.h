// Pictures of windows as they stand on the test machine's screen.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// Saves the window's area of the screen (cut to the screen) as a 24-bit BMP
// file; false when it could not be read or written.
bool SaveWindowPicture(HWND window, const std::string& bmpPath);

}  // namespace bench
