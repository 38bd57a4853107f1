#include "check_file.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "product_common.h"

namespace vzstrup {

namespace {
constexpr char kCheckedExtensions[] = ".EXE.COM.DLL.DRV.OVR.OVL.SYS.VXD.";
constexpr std::size_t kChunk = 65536;
}  // namespace

uint32_t Crc32(uint32_t crc, const void* bytes, std::size_t count) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  crc = ~crc;
  while (count--) {
    crc ^= *p++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

bool IsCheckedName(const char* name) { return vzp::HasExtensionIn(name, kCheckedExtensions); }

bool MarkFile(const char* path, FileMark* mark) {
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  static unsigned char chunk[kChunk];
  uint32_t crc = 0;
  uint64_t size = 0;
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(f, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) {
    crc = Crc32(crc, chunk, got);
    size += got;
  }
  CloseHandle(f);
  if (!ok) return false;
  mark->size = size;
  mark->crc = crc;
  return true;
}

bool FormatMark(const FileMark& mark, char* line, std::size_t capacity) {
  int n = std::snprintf(line, capacity, "%s=%" PRIu64 ",%08" PRIX32, mark.name, mark.size, mark.crc);
  return n > 0 && static_cast<std::size_t>(n) < capacity;
}

bool ParseMark(const char* line, FileMark* mark) {
  const char* equals = std::strchr(line, '=');
  if (!equals || equals == line || line[0] == ';' || line[0] == '[') return false;
  std::size_t nameLength = static_cast<std::size_t>(equals - line);
  if (nameLength >= sizeof mark->name) return false;
  char* end = nullptr;
  unsigned long long size = std::strtoull(equals + 1, &end, 10);
  if (end == equals + 1 || *end != ',') return false;
  const char* crcText = end + 1;
  unsigned long crc = std::strtoul(crcText, &end, 16);
  if (end != crcText + 8) return false;
  while (*end == ' ' || *end == '\r' || *end == '\n') ++end;
  if (*end) return false;
  std::memcpy(mark->name, line, nameLength);
  mark->name[nameLength] = '\0';
  mark->size = size;
  mark->crc = static_cast<uint32_t>(crc);
  return true;
}

}  // namespace vzstrup
