#include "finalise/driver_paths.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"

namespace vz {

namespace {

constexpr std::size_t kPlaceholderLength = 19;
constexpr std::size_t kWindowSize = 512;            // bytes searched at a time
constexpr std::size_t kShortFolderCapacity = 80;    // the install folder's short path, terminator included
constexpr std::size_t kFileNameCapacity = 13;       // an 8.3 file name and its terminator
constexpr std::size_t kReplacementCapacity = kShortFolderCapacity + kFileNameCapacity;
constexpr int kFromStart = 0;
constexpr int kFromEnd = 2;

}  // namespace

void PatchDriverPaths() {
  PatchDriverFile("NEXOLT.SYS", 'z', "nexolt.drv");
  PatchDriverFile("NEXOLT.SYS", 'y', "vz.inx");
  PatchDriverFile("NEXOLT.DRV", 'z', "vz.inx");
}

int PatchDriverFile(const char* driverFileName, char placeholderLetter, const char* fileNameToAppend) {
  char driverPath[kPathCapacity];
  if (!CopyText(driverPath, g_setup.installFolder) || !AppendText(driverPath, driverFileName)) return 0;

  char placeholder[kPlaceholderLength + 1];
  std::memset(placeholder, placeholderLetter, kPlaceholderLength);
  placeholder[kPlaceholderLength] = '\0';

  // The folder keeps its trailing backslash, so the file name follows it
  // directly. A short path over 79 characters has no defined text: nothing
  // is written then.
  char replacement[kReplacementCapacity];
  DWORD length = GetShortPathNameA(g_setup.installFolder, replacement, kShortFolderCapacity);
  if (length == 0 || length >= kShortFolderCapacity) return 0;
  if (!AppendText(replacement, fileNameToAppend)) return 0;
  LowerText(replacement);
  return PatchPlaceholder(driverPath, placeholder, replacement);
}

int PatchPlaceholder(const char* filePath, const char* placeholder, const char* replacement) {
  DWORD attributes = GetFileAttributesA(filePath);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(filePath, attributes & ~FILE_ATTRIBUTE_READONLY);

  FileHandle file = my_open(filePath, kOpenReadWrite, kPermissionWrite);
  if (file == kOpenFailed) return 0;
  PlaceholderFound where = FindPlaceholder(file, placeholder);
  if (!where.found) {
    my_close(file);
    return 0;
  }
  // The text and its terminator go over the placeholder and, when longer,
  // over the bytes after it.
  int32_t offset = where.windowStart + where.matchOffset;
  unsigned count = static_cast<unsigned>(std::strlen(replacement) + 1);
  int written = my_lseek(file, offset, kFromStart) == offset ? my_write(file, replacement, count) : 0;
  my_close(file);
  return written == static_cast<int>(count) ? 1 : 0;
}

PlaceholderFound FindPlaceholder(FileHandle file, const char* placeholder) {
  PlaceholderFound result;
  std::size_t placeholderLength = std::strlen(placeholder);
  if (placeholderLength == 0 || placeholderLength >= kWindowSize) return result;

  int32_t size = my_lseek(file, 0, kFromEnd);
  if (size <= 0) return result;

  // Windows overlap by the placeholder's length, so one that straddles the
  // end of a window lies whole inside the next.
  unsigned char window[kWindowSize];
  int32_t windowStart = 0;
  for (;;) {
    int32_t wanted = std::min<int32_t>(static_cast<int32_t>(kWindowSize), size - windowStart);
    if (my_lseek(file, windowStart, kFromStart) != windowStart) return result;
    if (my_read(file, window, static_cast<unsigned>(wanted)) != wanted) return result;
    int match = MatchInWindow(window, static_cast<std::size_t>(wanted), placeholder, placeholderLength);
    if (match >= 0) {
      result.found = true;
      result.windowStart = windowStart;
      result.matchOffset = static_cast<uint16_t>(match);
      return result;
    }
    if (windowStart + wanted >= size) return result;
    windowStart += wanted - static_cast<int32_t>(placeholderLength);
  }
}

int MatchInWindow(const unsigned char* window, std::size_t bytesInWindow, const char* placeholder,
                  std::size_t placeholderLength) {
  if (placeholderLength == 0 || bytesInWindow < placeholderLength) return -1;
  for (std::size_t offset = 0; offset + placeholderLength <= bytesInWindow; ++offset) {
    if (std::memcmp(window + offset, placeholder, placeholderLength) == 0) return static_cast<int>(offset);
  }
  return -1;
}

}  // namespace vz
