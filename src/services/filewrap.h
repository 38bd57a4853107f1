// Filewrap.dll, the product's file access library, as the helper calls it.
// Handles are Windows file handles; -1 means that the open failed.
#pragma once

#include <cstdint>

extern "C" {

typedef intptr_t FileHandle;

// my_open(path, flags) or my_open(path, flags, permission). Flags (classic C
// runtime values): 2 read and write, 0x4000 text, 0x8000 binary, 0x0200
// truncate; 0x4202 also creates the file. Permissions: 0x80 write, 0x100 read.
__declspec(dllimport) FileHandle my_open(const char* path, int flags, ...);
__declspec(dllimport) int my_read(FileHandle file, void* buffer, unsigned count);
__declspec(dllimport) int my_write(FileHandle file, const void* buffer, unsigned count);
__declspec(dllimport) int32_t my_lseek(FileHandle file, int32_t offset, int origin);
__declspec(dllimport) int32_t my_tell(FileHandle file);
__declspec(dllimport) int my_eof(FileHandle file);
// One line without its end, at most size - 1 characters; nonzero when a line was delivered.
__declspec(dllimport) int my_gets(FileHandle file, int size, char* buffer);
// Writes the text as one complete line, line end included.
__declspec(dllimport) int my_puts(FileHandle file, const char* text);
__declspec(dllimport) void my_close(FileHandle file);

}  // extern "C"

namespace vz {
constexpr int kOpenReadWrite = 2;
constexpr int kOpenText = 0x4000;
constexpr int kOpenTextRead = 0x4000;
constexpr int kOpenTextCreate = 0x4202;
constexpr int kOpenBinaryRead = 0x8000;
constexpr int kPermissionWrite = 0x80;
constexpr int kPermissionRead = 0x100;
constexpr intptr_t kOpenFailed = -1;
}  // namespace vz
