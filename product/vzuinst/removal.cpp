#include "removal.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "product_common.h"

namespace vzuinst {

const char* const kProductFiles[] = {
    "VZ32.EXE",    "VZ95.EXE",    "VZ.INX",      "VZSTRUP.EXE", "VZCHK.INF",    "VZSCHED.EXE", "VZSCHED.INI",
    "TOOLBAR.EXE", "NEXOLT.EXE",  "NEXOLT.SYS",  "NEXOLT.DRV",  "DOTBK.EXE",    "VZRESCUE.DLL", "VZ32.CNF",
    "VZ95.CNF",    "VZNT.CNF",    "VZFW.DOC",    "VZFW97.MAL",  "VZNORM.QOT",   "VZFW.INI",    "VZSET.HLP",
    "VZ32.LOG",    "VZSET.EXE",   "REGISTRY.DLL", "MISC.DLL",   "FILEWRAP.DLL", "SIGSCAN.DLL", "VZMSI32.DLL",
};
const std::size_t kProductFileCount = sizeof kProductFiles / sizeof kProductFiles[0];

namespace {

constexpr char kProductKey[] = "SOFTWARE\\Orvanto\\Velzor";
constexpr char kCompanyKey[] = "SOFTWARE\\Orvanto";
constexpr char kUserProductKey[] = "Software\\Orvanto\\Velzor";
constexpr char kDefaultUserProductKey[] = ".Default\\Software\\Orvanto\\Velzor";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValues[] = {"Velzor Scheduler", "Velzor ToolBar", "Velzor On-Line Protection", "VZFW"};
constexpr const char* kVerbClasses[] = {"comfile", "exefile", "Drive", "Directory"};
constexpr const char* kArchiveTypes[] = {".ARJ", ".ZIP"};
constexpr char kVerbKey[] = "\\shell\\Velzor Scan";
constexpr char kOwnArchiveType[] = "vzcomp";
constexpr char kInstallMapFile[] = "C:\\VZ.INI";
constexpr char kInstallMapSection[] = "Path";
constexpr char kPerOsIni[] = "VZ32.INI";
constexpr std::size_t kKeyCapacity = 300;
constexpr std::size_t kVersionCapacity = 12;

// Reads a text value; false when it is missing or not text.
bool ReadText(HKEY root, const char* key, const char* name, char* buffer, DWORD capacity) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = capacity - 1;
  bool ok = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  RegCloseKey(k);
  if (ok) buffer[size < capacity ? size : capacity - 1] = '\0';
  return ok;
}

void DeleteValue(HKEY root, const char* key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name);
  RegCloseKey(k);
}

// Deletes a key with everything below it (Windows NT's RegDeleteKey leaves
// keys that have subkeys).
void DeleteKeyTree(HKEY root, const char* path) {
  HKEY k;
  if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &k) == ERROR_SUCCESS) {
    char child[256];
    for (;;) {
      DWORD length = sizeof child;
      if (RegEnumKeyExA(k, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      char childPath[kKeyCapacity];
      vz::CopyText(childPath, path);
      vz::AppendText(childPath, "\\");
      if (!vz::AppendText(childPath, child)) break;
      DeleteKeyTree(root, childPath);
      HKEY left;
      if (RegOpenKeyExA(root, childPath, 0, KEY_READ, &left) == ERROR_SUCCESS) {  // still there: give up
        RegCloseKey(left);
        break;
      }
    }
    RegCloseKey(k);
  }
  RegDeleteKeyA(root, path);
}

// Deletes the key only when nothing is left in it.
void DeleteKeyIfEmpty(HKEY root, const char* path) {
  HKEY k;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  DWORD subkeys = 0, values = 0;
  bool empty = RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                                nullptr, nullptr) == ERROR_SUCCESS &&
               subkeys == 0 && values == 0;
  RegCloseKey(k);
  if (empty) RegDeleteKeyA(root, path);
}

bool OnWindows95() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// The version a running setup installs (HKCU "TempCurrentVersion"), or false.
bool VersionBeingInstalled(char (&version)[kVersionCapacity]) {
  return ReadText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", version, sizeof version) && version[0];
}

void RemoveShellVerbs() {
  char key[kKeyCapacity];
  for (const char* cls : kVerbClasses) {
    vz::CopyText(key, cls);
    if (vz::AppendText(key, kVerbKey)) DeleteKeyTree(HKEY_CLASSES_ROOT, key);
  }
  for (const char* extension : kArchiveTypes) {
    char type[64] = "";
    if (!ReadText(HKEY_CLASSES_ROOT, extension, "", type, sizeof type) || !type[0]) continue;
    vz::CopyText(key, type);
    if (vz::AppendText(key, kVerbKey)) DeleteKeyTree(HKEY_CLASSES_ROOT, key);
    if (!_stricmp(type, kOwnArchiveType)) {  // the type the product made up for the archives
      DeleteValue(HKEY_CLASSES_ROOT, extension, "");
      DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, extension);
    }
  }
  DeleteKeyTree(HKEY_CLASSES_ROOT, kOwnArchiveType);
}

// This system's entry of the install map C:\VZ.INI; the file goes when no
// other system's entry is left in it.
void RemoveInstallMapEntry() {
  bool win95 = OnWindows95();
  const char* own = win95 ? "Windows 95" : "Windows NT";
  const char* other = win95 ? "Windows NT" : "Windows 95";
  if (GetFileAttributesA(kInstallMapFile) == INVALID_FILE_ATTRIBUTES) return;
  WritePrivateProfileStringA(kInstallMapSection, own, nullptr, kInstallMapFile);
  char otherFolder[vzp::kPathCapacity] = "";
  GetPrivateProfileStringA(kInstallMapSection, other, "", otherFolder, sizeof otherFolder, kInstallMapFile);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, kInstallMapFile);  // flush before touching the file
  if (otherFolder[0] == '\0') {
    SetFileAttributesA(kInstallMapFile, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(kInstallMapFile);
  }
}

// VZ32.INI of this system. A running setup has already written this
// installation's Type (and an OEM copy's details) there: then only the
// previous version's own entries go, which the new one writes again.
void RemovePerOsIni(bool calledFromInstall) {
  char path[vzp::kPathCapacity];
  UINT length = GetWindowsDirectoryA(path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  if (!vz::EnsureTrailingBackslash(path) || !vz::AppendText(path, kPerOsIni)) return;
  if (calledFromInstall) {
    for (const char* key : {"Version", "Company", "Name"}) WritePrivateProfileStringA("Info", key, nullptr, path);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    return;
  }
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
}

// The product key (HKLM) of the previous version when a setup is running:
// its values and every version key but the one being installed.
void RemovePreviousVersionKeys(const char* keepVersion) {
  DeleteValue(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion");
  DeleteValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath");
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  char names[32][64];
  DWORD count = 0;
  for (DWORD i = 0; count < 32; ++i) {
    DWORD length = sizeof names[0];
    LONG result = RegEnumKeyExA(k, i, names[count], &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result == ERROR_SUCCESS && _stricmp(names[count], keepVersion) != 0) ++count;
  }
  RegCloseKey(k);
  for (DWORD i = 0; i < count; ++i) {
    char key[kKeyCapacity];
    vz::CopyText(key, kProductKey);
    vz::AppendText(key, "\\");
    if (vz::AppendText(key, names[i])) DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
  }
}

}  // namespace

bool IsCalledFromInstall() {
  char version[kVersionCapacity];
  if (!VersionBeingInstalled(version)) return false;
  char key[kKeyCapacity];
  vz::CopyText(key, kProductKey);
  vz::AppendText(key, "\\");
  if (!vz::AppendText(key, version)) return false;
  char flag[5] = "";
  return ReadText(HKEY_LOCAL_MACHINE, key, "CalledFromInstall", flag, sizeof flag) && flag[0] == '1';
}

int RemoveProductFiles(const char* folder, char* notRemoved, std::size_t capacity) {
  int failures = 0;
  if (capacity) notRemoved[0] = '\0';
  for (std::size_t i = 0; i < kProductFileCount; ++i) {
    char path[vzp::kPathCapacity];
    vz::CopyText(path, folder);
    if (!vz::AppendText(path, kProductFiles[i])) continue;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) continue;
    SetFileAttributesA(path, attributes);  // kept as it was
    ++failures;
    if (capacity) {
      vz::AppendText(notRemoved, capacity, "\n    ");
      vz::AppendText(notRemoved, capacity, path);
    }
  }
  return failures;
}

void RemoveProductRecords(bool calledFromInstall) {
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  for (const char* value : kRunValues) DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, value);
  DeleteKeyTree(HKEY_USERS, kDefaultUserProductKey);
  RemoveShellVerbs();
  RemoveInstallMapEntry();
  RemovePerOsIni(calledFromInstall);
  char version[kVersionCapacity];
  if (calledFromInstall && VersionBeingInstalled(version)) {
    RemovePreviousVersionKeys(version);
    return;
  }
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kProductKey);
  DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kCompanyKey);
  DeleteKeyTree(HKEY_CURRENT_USER, kUserProductKey);
  DeleteKeyIfEmpty(HKEY_CURRENT_USER, kCompanyKey);
}

void RemoveAtRestart(const char* uninstallerPath, const char* folder) {
  char folderPath[vzp::kPathCapacity];
  vz::CopyText(folderPath, folder);
  std::size_t n = std::strlen(folderPath);
  if (n > 3 && folderPath[n - 1] == '\\') folderPath[n - 1] = '\0';
  if (MoveFileExA(uninstallerPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    MoveFileExA(folderPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return;
  }
  // Windows 95 has no delayed moves: WININIT.INI deletes the file at the next start.
  char section[4096] = "";
  DWORD used = GetPrivateProfileSectionA("rename", section, sizeof section, "WININIT.INI");
  char line[vzp::kPathCapacity + 4] = "NUL=";
  if (!vz::AppendText(line, uninstallerPath)) return;
  std::size_t length = std::strlen(line) + 1;
  if (used + length + 1 >= sizeof section) return;
  std::memcpy(section + used, line, length);
  section[used + length] = '\0';
  WritePrivateProfileSectionA("rename", section, "WININIT.INI");
}

}  // namespace vzuinst
