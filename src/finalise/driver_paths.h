// Patching the install folder's paths into the on-line protection's drivers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "services/filewrap.h"

namespace vz {

void PatchDriverPaths();
int PatchDriverFile(const char* driverFileName, char placeholderLetter, const char* fileNameToAppend);
int PatchPlaceholder(const char* filePath, const char* placeholder, const char* replacement);

struct PlaceholderFound {
  bool found = false;
  int32_t windowStart = 0;
  uint16_t matchOffset = 0;
};
PlaceholderFound FindPlaceholder(FileHandle file, const char* placeholder);
// Lowest offset where the placeholder starts in the window, or -1.
int MatchInWindow(const unsigned char* window, std::size_t bytesInWindow, const char* placeholder,
                  std::size_t placeholderLength);

}  // namespace vz
