// Re-dating the previous version's files, so that the copy of the new version
// replaces every one of them.
#include <windows.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"
#include "services/filewrap.h"

namespace vz {

namespace {

// DOS date word 9: day 9, month 0, year 0 (1980). Platforms that reject month
// 0 when converting it leave the file's date as it is.
constexpr WORD kPreviousFileDosDate = 9;

void RedateFile(const char* path) {
  FileHandle file = my_open(path, kOpenReadWrite);
  if (file == kOpenFailed) return;  // a folder, a read-only file, a file in use
  HANDLE handle = reinterpret_cast<HANDLE>(file);
  FILETIME written;
  WORD dosDate, dosTime;
  FILETIME redated;
  if (GetFileTime(handle, nullptr, nullptr, &written) && FileTimeToDosDateTime(&written, &dosDate, &dosTime) &&
      DosDateTimeToFileTime(kPreviousFileDosDate, dosTime, &redated))
    SetFileTime(handle, nullptr, nullptr, &redated);
  my_close(file);
}

}  // namespace

void RedatePreviousFiles(const char* folder) {
  if (!IsPreviousInstallFolder(folder)) return;  // nothing outside a previous install folder is touched
  char pattern[kPathCapacity];
  if (!CopyText(pattern, folder) || !AppendText(pattern, "*.*")) return;

  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!std::strcmp(entry.cFileName, ".") || !std::strcmp(entry.cFileName, "..")) continue;
    char path[kPathCapacity];
    if (CopyText(path, folder) && AppendText(path, entry.cFileName)) RedateFile(path);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

}  // namespace vz
