#include "file_io.h"

#include <climits>

namespace vzfile {

HANDLE ToHandle(FileHandle file) {
  if (file == -1 || file == 0) return nullptr;
  return reinterpret_cast<HANDLE>(file);
}

bool RawRead(HANDLE file, void* buffer, DWORD count, DWORD* got) {
  *got = 0;
  return ReadFile(file, buffer, count, got, nullptr) != FALSE;
}

bool WriteAll(HANDLE file, const void* data, DWORD count) {
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(file, bytes, count, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

bool GetPosition(HANDLE file, int64_t* position) {
  LONG high = 0;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  *position = (static_cast<int64_t>(high) << 32) | low;
  return true;
}

bool SetPosition(HANDLE file, int64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool GetSize(HANDLE file, int64_t* size) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (static_cast<int64_t>(high) << 32) | low;
  return true;
}

int WriteData(HANDLE file, const char* data, unsigned count, bool text) {
  if (count > INT_MAX) count = INT_MAX;
  if (!text) {
    if (count == 0) return 0;
    return WriteAll(file, data, count) ? static_cast<int>(count) : -1;
  }
  char out[1024];
  unsigned used = 0, done = 0;  // bytes in `out`; caller's bytes they stand for
  for (unsigned i = 0; i < count; ++i) {
    bool needsCr = data[i] == '\n' && (i == 0 || data[i - 1] != '\r');
    if (used + 2 > sizeof out) {
      if (!WriteAll(file, out, used)) return done > 0 ? static_cast<int>(done) : -1;
      done = i;
      used = 0;
    }
    if (needsCr) out[used++] = '\r';
    out[used++] = data[i];
  }
  if (used > 0 && !WriteAll(file, out, used)) return done > 0 ? static_cast<int>(done) : -1;
  return static_cast<int>(count);
}

}  // namespace vzfile
