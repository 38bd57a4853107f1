// "|"-separated key paths turned into the registry's own form.
#pragma once

#include <windows.h>

#include "registry_dll.h"

namespace vzreg {

// A key path in the registry's form ("\" separators), bounded.
struct KeyPath {
  char text[kKeyPathCapacity];
  bool ok;  // false: the path does not fit and names no key
};

// Converts "A|B|C" into "A\B\C". A null path is the empty path (the root).
KeyPath ConvertPath(const char* path);

}  // namespace vzreg
