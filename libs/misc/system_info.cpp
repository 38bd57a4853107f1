// The system and the product's installations: GetOS, GetModuleDirectory,
// GetVZVersionsInstalled, UpdateOSInfo.
#include <windows.h>

#include <cstring>

#include "core/records.h"
#include "core/text.h"
#include "misc_dll.h"

namespace {

constexpr int kPathCapacity = 260;
constexpr int kVersionCapacity = 12;

OSVERSIONINFOA VersionInfo() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  return info;
}

// True when the install map file names that system's Windows folder and its
// VZ32.INI records a product version.
bool IsRecordedOn(const char* systemName) {
  char folder[kPathCapacity] = "";
  GetPrivateProfileStringA(vz::kInstallMapSection, systemName, "", folder, sizeof folder, vz::kInstallMapFile);
  if (folder[0] == '\0') return false;
  char ini[kPathCapacity];
  vz::CopyText(ini, folder);
  if (!vz::EnsureTrailingBackslash(ini) || !vz::AppendText(ini, vz::kPerOsIniName)) return false;
  char version[kVersionCapacity] = "";
  GetPrivateProfileStringA(vz::kPerOsInfoSection, vz::kPerOsVersionEntry, "", version, sizeof version, ini);
  return version[0] != '\0';
}

void PutWord(unsigned char* at, unsigned value) {
  at[0] = static_cast<unsigned char>(value & 0xFF);
  at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

}  // namespace

int GetOS(void) {
  return VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? vzmisc::kOsWindows95 : vzmisc::kOsWindowsNT;
}

int GetModuleDirectory(char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  char path[MAX_PATH * 4];
  DWORD len = GetModuleFileNameA(nullptr, path, sizeof path);
  buffer[0] = '\0';
  if (len == 0 || len >= sizeof path) return 0;
  char* slash = std::strrchr(path, '\\');
  if (!slash) return 0;
  slash[1] = '\0';
  size_t length = std::strlen(path);
  if (length >= static_cast<size_t>(capacity)) return 0;  // never a cut folder
  vz::CopyText(buffer, static_cast<size_t>(capacity), path);
  return static_cast<int>(length);
}

int GetVZVersionsInstalled(void) {
  int installed = 0;
  if (IsRecordedOn(vz::kWindows95)) installed |= 1;
  if (IsRecordedOn(vz::kWindowsNT)) installed |= 2;
  return installed;
}

int UpdateOSInfo(const char* cnfPath, int value) {
  if (!cnfPath || !*cnfPath) return 0;
  HANDLE file = CreateFileA(cnfPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD size = GetFileSize(file, &high);
  bool ok = !(size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) &&
            (high > 0 || size >= static_cast<DWORD>(vzmisc::kOsRecordOffset));
  if (ok) {
    OSVERSIONINFOA info = VersionInfo();
    unsigned char record[12];
    PutWord(record + 0, static_cast<unsigned>(GetOS()));
    PutWord(record + 2, info.dwMajorVersion);
    PutWord(record + 4, info.dwMinorVersion);
    PutWord(record + 6, LOWORD(info.dwBuildNumber));
    unsigned v = static_cast<unsigned>(value);
    PutWord(record + 8, v & 0xFFFF);
    PutWord(record + 10, v >> 16);
    DWORD written = 0;
    ok = SetFilePointer(file, vzmisc::kOsRecordOffset, nullptr, FILE_BEGIN) == static_cast<DWORD>(vzmisc::kOsRecordOffset) &&
         WriteFile(file, record, sizeof record, &written, nullptr) && written == sizeof record;
  }
  CloseHandle(file);
  return ok ? 1 : 0;
}
