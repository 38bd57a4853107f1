// What the file access library keeps per open handle: its mode.
#pragma once

#include <windows.h>

namespace vzfile {

struct HandleMode {
  bool text = false;
  bool append = false;
};

// Records a handle just opened; false when the table is full.
bool RememberHandle(HANDLE file, HandleMode mode);
// The mode of a handle; binary for a handle the library did not open.
HandleMode ModeOf(HANDLE file);
void ForgetHandle(HANDLE file);

}  // namespace vzfile
