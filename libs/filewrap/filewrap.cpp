// Opening, reading, writing and positioning files by numbered flags.
#include <windows.h>

#include <climits>

#include "file_io.h"
#include "filewrap_dll.h"
#include "handle_table.h"

using namespace vzfile;

FileHandle my_open(const char* path, int flags, ...) {
  // The permission argument is deliberately not read: see filewrap_dll.h.
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DWORD access = 0;
  switch (flags & kAccessMask) {
    case 0: access = GENERIC_READ; break;
    case kWriteOnly: access = GENERIC_WRITE; break;
    case kReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return -1;
  }
  bool truncate = (flags & kTruncate) != 0;
  bool create = (flags & (kCreate | kTruncate)) != 0;
  if ((create || (flags & kAppend)) && !(access & GENERIC_WRITE)) {  // a read-only open cannot change the file
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DWORD disposition = OPEN_EXISTING;
  if ((flags & kCreate) && (flags & kExclusive)) disposition = CREATE_NEW;
  else if (create) disposition = OPEN_ALWAYS;  // keeps a hidden file's attributes, unlike CREATE_ALWAYS
  HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  if (truncate && (!SetPosition(file, 0) || !SetEndOfFile(file))) {
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return -1;
  }
  HandleMode mode;
  mode.text = (flags & kText) && !(flags & kBinary);
  mode.append = (flags & kAppend) != 0;
  if (!RememberHandle(file, mode)) {
    CloseHandle(file);
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return -1;
  }
  return reinterpret_cast<FileHandle>(file);
}

namespace {

// Text-mode read: CR LF becomes LF, a Ctrl-Z ends the data (the position
// stays on it). Fills the buffer unless the data end first.
int ReadText(HANDLE file, char* out, unsigned count) {
  unsigned used = 0;
  while (used < count) {
    DWORD got = 0;
    DWORD want = count - used;
    if (!RawRead(file, out + used, want, &got)) return used > 0 ? static_cast<int>(used) : -1;
    if (got == 0) break;
    char* chunk = out + used;
    unsigned kept = 0;
    bool ended = false;
    for (DWORD i = 0; i < got; ++i) {
      char c = chunk[i];
      if (c == kEndOfText) {
        int64_t position = 0;  // step back onto the Ctrl-Z
        if (GetPosition(file, &position)) SetPosition(file, position - static_cast<int64_t>(got - i));
        ended = true;
        break;
      }
      if (c == '\r') {
        if (i + 1 < got) {
          if (chunk[i + 1] == '\n') continue;  // the LF comes next
        } else {
          char next = 0;  // CR last in the chunk: look at the next byte
          DWORD n = 0;
          if (RawRead(file, &next, 1, &n) && n == 1) {
            if (next == '\n') c = '\n';
            else {
              int64_t position = 0;
              if (GetPosition(file, &position)) SetPosition(file, position - 1);
            }
          }
        }
      }
      chunk[kept++] = c;
    }
    used += kept;
    if (ended) break;
  }
  return static_cast<int>(used);
}

}  // namespace

int my_read(FileHandle handle, void* buffer, unsigned count) {
  HANDLE file = ToHandle(handle);
  if (!file || (!buffer && count > 0)) return -1;
  if (count > INT_MAX) count = INT_MAX;
  if (ModeOf(file).text) return ReadText(file, static_cast<char*>(buffer), count);
  unsigned used = 0;
  while (used < count) {
    DWORD got = 0;
    if (!RawRead(file, static_cast<char*>(buffer) + used, count - used, &got)) return used > 0 ? static_cast<int>(used) : -1;
    if (got == 0) break;
    used += got;
  }
  return static_cast<int>(used);
}

int my_write(FileHandle handle, const void* buffer, unsigned count) {
  HANDLE file = ToHandle(handle);
  if (!file || (!buffer && count > 0)) return -1;
  HandleMode mode = ModeOf(file);
  if (mode.append) {
    int64_t size = 0;
    if (!GetSize(file, &size) || !SetPosition(file, size)) return -1;
  }
  return WriteData(file, static_cast<const char*>(buffer), count, mode.text);
}

int32_t my_lseek(FileHandle handle, int32_t offset, int origin) {
  HANDLE file = ToHandle(handle);
  if (!file) return -1;
  int64_t base = 0;
  switch (origin) {
    case 0: break;
    case 1: if (!GetPosition(file, &base)) return -1; break;
    case 2: if (!GetSize(file, &base)) return -1; break;
    default: return -1;
  }
  int64_t target = base + offset;
  if (target < 0 || target > INT32_MAX || !SetPosition(file, target)) return -1;
  return static_cast<int32_t>(target);
}

int32_t my_tell(FileHandle handle) {
  HANDLE file = ToHandle(handle);
  int64_t position = 0;
  if (!file || !GetPosition(file, &position) || position > INT32_MAX) return -1;
  return static_cast<int32_t>(position);
}

int my_eof(FileHandle handle) {
  HANDLE file = ToHandle(handle);
  int64_t position = 0, size = 0;
  if (!file || !GetPosition(file, &position) || !GetSize(file, &size)) return -1;
  if (position >= size) return 1;
  if (!ModeOf(file).text) return 0;
  char next = 0;  // in text mode a Ctrl-Z ends the file
  DWORD got = 0;
  if (!RawRead(file, &next, 1, &got)) return -1;
  SetPosition(file, position);
  return got == 1 && next == kEndOfText;
}

void my_close(FileHandle handle) {
  HANDLE file = ToHandle(handle);
  if (!file) return;
  ForgetHandle(file);
  CloseHandle(file);
}
