// The text of the diskette files: INI syntax (sections and Key=Value lines,
// CRLF line ends), so that the product reads them back with the profile
// functions. Raw bytes are stored as rows of hexadecimal digits with their
// CRC-32.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace rescue {

constexpr int kFormatVersion = 1;
constexpr std::size_t kHexRowBytes = 32;

uint32_t Crc32(const void* data, std::size_t size);

class InfText {
 public:
  void Section(const char* name);
  void Text(const char* key, const std::string& value);
  void Number(const char* key, unsigned long long value);
  void Hex32(const char* key, uint32_t value);  // 8 hexadecimal digits
  // Bytes=, Crc32= and Row00=, Row01=, ... with kHexRowBytes bytes each.
  void Bytes(const void* data, std::size_t size);
  // Read=0 and Error=<system error code>, for what the system would not give.
  void Unreadable(DWORD error);

  // The [Rescue] section every file begins with.
  void Header(const char* fileName, char driveLetterOfSystem);

  const std::string& Str() const { return text_; }

 private:
  std::string text_;
};

// Writes the text as the file, replacing it, and reads it back to compare.
// False (and the file removed) when it could not be written exactly.
bool WriteVerified(const std::string& path, const std::string& contents);

// The drive letter of the Windows folder: the system disk's volume.
char SystemDriveLetter();

}  // namespace rescue
