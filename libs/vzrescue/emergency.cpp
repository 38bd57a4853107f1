#include "emergency.h"

#include <cstdio>
#include <vector>

#include "inf_text.h"

namespace rescue {

namespace {

// What the diskette needs to scan a machine: the scanner, the signature
// library it loads and the signature index.
constexpr const char* kEmergencyFiles[] = {"VZ32.EXE", "SIGSCAN.DLL", "VZ.INX"};
constexpr char kManifestName[] = "EMERGNCY.INF";
constexpr char kReadMeName[] = "README.TXT";
constexpr unsigned long long kTextReserveBytes = 4096;  // manifest and instructions

struct FileToCopy {
  std::string name;
  std::string source;
  unsigned long long size = 0;
};

bool ReadWhole(const std::string& path, std::string* data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 31);
  if (ok) {
    data->assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ok = ReadFile(file, data->data(), static_cast<DWORD>(data->size()), &got, nullptr) && got == data->size();
  }
  CloseHandle(file);
  return ok;
}

unsigned long long ExistingSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadMe(char letter) {
  std::string drive = std::string(1, letter) + ":";
  return "Velzor Emergency Diskette\r\n"
         "=========================\r\n\r\n"
         "This diskette scans a computer for viruses when the Velzor programs on its\r\n"
         "hard disk cannot be trusted or cannot be started.\r\n\r\n"
         "1. Start the computer from a clean, write-protected system diskette.\r\n"
         "2. Insert this diskette and run " + drive + "\\VZ32.EXE.\r\n"
         "3. Let it scan every hard disk and follow what it reports.\r\n\r\n"
         "EMERGNCY.INF lists the files of this diskette with their sizes and\r\n"
         "checksums, so that a damaged diskette can be recognised.\r\n";
}

}  // namespace

bool WriteEmergencyDiskette(const std::string& sourceFolder, char letter, std::string* why) {
  std::string root = std::string(1, letter) + ":\\";
  std::vector<FileToCopy> files;
  unsigned long long needed = kTextReserveBytes, freed = 0;
  for (const char* name : kEmergencyFiles) {
    FileToCopy file{name, sourceFolder + name};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.source.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      *why = std::string(name) + " is missing from " + sourceFolder + ".";
      return false;
    }
    file.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    needed += file.size;
    freed += ExistingSize(root + name);  // replaced on the diskette
    files.push_back(file);
  }
  ULARGE_INTEGER available{}, total{}, free{};
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) {
    *why = "Drive " + std::string(1, letter) + ": cannot be read.";
    return false;
  }
  if (available.QuadPart + freed < needed) {
    *why = "The diskette in drive " + std::string(1, letter) + ": has not enough free space (" +
           std::to_string((needed - freed + 1023) / 1024) + " KB are needed).";
    return false;
  }

  InfText manifest;
  manifest.Header(kManifestName, SystemDriveLetter());
  manifest.Section("Files");
  manifest.Number("Count", files.size());
  int n = 0;
  for (const auto& file : files) {
    std::string data;
    if (!ReadWhole(file.source, &data)) {
      *why = file.source + " cannot be read.";
      return false;
    }
    if (!WriteVerified(root + file.name, data)) {
      *why = "Writing " + root + file.name + " failed.";
      return false;
    }
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08lX", static_cast<unsigned long>(Crc32(data.data(), data.size())));
    manifest.Text(("File" + std::to_string(++n)).c_str(), file.name + "," + std::to_string(data.size()) + "," + crc);
  }
  if (!WriteVerified(root + kReadMeName, ReadMe(letter)) || !WriteVerified(root + kManifestName, manifest.Str())) {
    *why = "Writing to drive " + std::string(1, letter) + ": failed.";
    return false;
  }
  return true;
}

}  // namespace rescue
