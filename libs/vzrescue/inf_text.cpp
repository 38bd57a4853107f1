#include "inf_text.h"

#include <cstdio>

namespace rescue {

uint32_t Crc32(const void* data, std::size_t size) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  uint32_t crc = 0xFFFFFFFFu;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void InfText::Section(const char* name) {
  if (!text_.empty()) text_ += "\r\n";
  text_ += "[";
  text_ += name;
  text_ += "]\r\n";
}

void InfText::Text(const char* key, const std::string& value) {
  text_ += key;
  text_ += "=";
  for (char c : value) text_ += (c == '\r' || c == '\n') ? ' ' : c;  // one line per entry
  text_ += "\r\n";
}

void InfText::Number(const char* key, unsigned long long value) { Text(key, std::to_string(value)); }

void InfText::Hex32(const char* key, uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08lX", static_cast<unsigned long>(value));
  Text(key, digits);
}

void InfText::Bytes(const void* data, std::size_t size) {
  Text("Read", "1");
  Number("Bytes", size);
  Hex32("Crc32", Crc32(data, size));
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t row = 0; row * kHexRowBytes < size; ++row) {
    char key[16];
    std::snprintf(key, sizeof key, "Row%02u", static_cast<unsigned>(row));
    std::string digits;
    for (std::size_t i = row * kHexRowBytes; i < size && i < (row + 1) * kHexRowBytes; ++i) {
      char pair[3];
      std::snprintf(pair, sizeof pair, "%02X", p[i]);
      digits += pair;
    }
    Text(key, digits);
  }
}

void InfText::Unreadable(DWORD error) {
  Text("Read", "0");
  Number("Error", error);
}

void InfText::Header(const char* fileName, char driveLetterOfSystem) {
  Section("Rescue");
  Text("File", fileName);
  Number("Format", kFormatVersion);
  Text("Product", "Velzor 5.0");
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  Text("Created", stamp);
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  Text("Computer", computer);
  char drive[3] = {driveLetterOfSystem, ':', '\0'};
  Text("SystemDrive", drive);
}

bool WriteVerified(const std::string& path, const std::string& contents) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
            written == contents.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (ok) {
    std::string back(contents.size(), '\0');
    file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    ok = file != INVALID_HANDLE_VALUE && ReadFile(file, back.data(), static_cast<DWORD>(back.size()), &got, nullptr) &&
         got == back.size() && back == contents && GetFileSize(file, nullptr) == contents.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

char SystemDriveLetter() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  char letter = windows[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return (letter >= 'A' && letter <= 'Z' && windows[1] == ':') ? letter : 'C';
}

}  // namespace rescue
