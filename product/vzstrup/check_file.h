// VZCHK.INF, the start-up checker's record of the product's program files as
// they were installed: a text file beside VZSTRUP.EXE,
//   ; comment lines
//   [Files]
//   NAME=SIZE,CRC
// one line per program file of the folder (extensions EXE COM DLL DRV OVR OVL
// SYS VXD), NAME in upper case, SIZE in decimal bytes, CRC the file's CRC-32
// in eight hexadecimal digits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vzstrup {

constexpr std::size_t kNameCapacity = 260;

struct FileMark {
  char name[kNameCapacity] = "";
  uint64_t size = 0;
  uint32_t crc = 0;
};

// CRC-32 (the polynomial of ZIP and PNG), continued from crc over the bytes.
uint32_t Crc32(uint32_t crc, const void* bytes, std::size_t count);

// True for the file names the checker records.
bool IsCheckedName(const char* name);

// Size and CRC of the file; false when it cannot be read.
bool MarkFile(const char* path, FileMark* mark);

// "NAME=SIZE,CRC" for the file, and back. Parse is false for any other line.
bool FormatMark(const FileMark& mark, char* line, std::size_t capacity);
bool ParseMark(const char* line, FileMark* mark);

}  // namespace vzstrup
