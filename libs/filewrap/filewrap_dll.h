// Filewrap.dll, the product's file access library: low-level file operations
// on numbered open flags, the exports. A handle is a real Windows file handle
// (callers may use it with GetFileTime, SetFileTime, ReadFile...); -1 means
// that the open failed.
//
// Open flags (the classic C runtime values):
//   access 0 read, 1 write, 2 read and write; 0x0008 append (every write goes
//   to the end); 0x0100 create when missing; 0x0200 truncate, which also
//   creates a missing file (so 0x4202 opens a new or emptied text file for
//   reading and writing); 0x0400 with 0x0100: fail when the file exists;
//   0x4000 text mode; 0x8000 binary mode. Without 0x4000 (or with both) a
//   file is binary. Files are opened for sharing (others may read and write).
// Permission: the optional third argument (0x80 write, 0x100 read) is never
//   read, since callers leave it out when they create a file; a file the
//   library creates is always readable and writable.
//
// Binary mode reads and writes byte for byte, so positions are byte offsets.
// Text mode, as the C runtime does it: my_read turns CR LF into LF and stops
// at a Ctrl-Z (the end of a DOS text file); my_write turns an LF that the
// caller's data do not already precede with CR into CR LF. Positions
// (my_lseek, my_tell) are byte offsets in the file in both modes.
//
// Lines (both modes): my_gets delivers one line without its end, at most
// size - 1 characters. A line ends with LF, CR LF, a CR right before the end
// of the file, or the end of the file; in text mode a Ctrl-Z is the end of
// the file. A longer line comes in pieces of size - 1 characters, each
// delivered by itself; a line end right after a full piece belongs to that
// piece. my_gets returns 0 (and an empty buffer) at the end of the file, on a
// read error and when size is below 2, so a read loop always ends. my_puts
// writes the text (translated as by my_write in text mode) and CR LF.
//
// The library keeps no data of its own between calls: after each call the
// handle's file position is exactly where the caller's data end, so raw use
// of the handle in between is safe. What it keeps per handle (the mode and
// the append flag) lives in a table of kMaxOpenFiles entries; an open beyond
// that fails with ERROR_TOO_MANY_OPEN_FILES.
//
// Results: my_read/my_write the bytes read/written, -1 on error; my_lseek and
// my_tell the position, -1 on error (also for positions beyond 2 GB - 1);
// my_eof 1 at the end, 0 before it, -1 on error; my_puts 1 when the whole
// line was written, else 0.
#pragma once

#include <cstdint>

#define VZ_FILEWRAP_API extern "C" __declspec(dllexport)

typedef intptr_t FileHandle;

VZ_FILEWRAP_API FileHandle my_open(const char* path, int flags, ...);
VZ_FILEWRAP_API int my_read(FileHandle file, void* buffer, unsigned count);
VZ_FILEWRAP_API int my_write(FileHandle file, const void* buffer, unsigned count);
VZ_FILEWRAP_API int32_t my_lseek(FileHandle file, int32_t offset, int origin);
VZ_FILEWRAP_API int32_t my_tell(FileHandle file);
VZ_FILEWRAP_API int my_eof(FileHandle file);
VZ_FILEWRAP_API int my_gets(FileHandle file, int size, char* buffer);
VZ_FILEWRAP_API int my_puts(FileHandle file, const char* text);
VZ_FILEWRAP_API void my_close(FileHandle file);

namespace vzfile {
constexpr int kAccessMask = 0x0003;
constexpr int kWriteOnly = 0x0001;
constexpr int kReadWrite = 0x0002;
constexpr int kAppend = 0x0008;
constexpr int kCreate = 0x0100;
constexpr int kTruncate = 0x0200;
constexpr int kExclusive = 0x0400;
constexpr int kText = 0x4000;
constexpr int kBinary = 0x8000;
constexpr char kEndOfText = 0x1A;  // Ctrl-Z
constexpr int kMaxOpenFiles = 64;
}  // namespace vzfile
