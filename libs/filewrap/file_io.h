// Raw file operations the library's exports are built on.
#pragma once

#include <windows.h>

#include <cstdint>

#include "filewrap_dll.h"

namespace vzfile {

// The Windows handle behind a library handle; null for -1 and 0.
HANDLE ToHandle(FileHandle file);

bool RawRead(HANDLE file, void* buffer, DWORD count, DWORD* got);
bool WriteAll(HANDLE file, const void* data, DWORD count);

bool GetPosition(HANDLE file, int64_t* position);
bool SetPosition(HANDLE file, int64_t position);
bool GetSize(HANDLE file, int64_t* size);

// Writes the caller's bytes, LF turned into CR LF in text mode. Returns the
// caller's bytes written, or -1 when nothing could be written.
int WriteData(HANDLE file, const char* data, unsigned count, bool text);

}  // namespace vzfile
