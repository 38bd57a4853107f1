// Diskette drives and file copies: MakeDriveReady, FileCopy.
#include <windows.h>

#include "misc_dll.h"

int MakeDriveReady(short drive) {
  if (drive < 0 || drive > 25) return 0;
  char pattern[] = "A:\\*.*";
  pattern[0] = static_cast<char>('A' + drive);
  // No "drive not ready" box from the system: the caller asks the user itself.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  DWORD error = search == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  SetErrorMode(previous);
  // An empty diskette's root has no entries at all: readable all the same.
  return error == NO_ERROR || error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? 1 : 0;
}

int FileCopy(const char* source, const char* destination, int flag) {
  if (!source || !destination || !*source || !*destination) return 0;
  bool replace = flag == 1;
  if (replace) {  // a read-only or hidden destination is replaced like any other
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
  }
  return CopyFileA(source, destination, replace ? FALSE : TRUE) ? 1 : 0;
}
