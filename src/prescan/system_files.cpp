// The system file scan: the command interpreter and the executable files of
// the Windows, SYSTEM and COMMAND folders, each through every scan kind of
// the signature scanning library in the order its file type calls for.
#include <windows.h>

#include <cstring>
#include <iterator>

#include "core/setup_context.h"
#include "core/text.h"
#include "prescan/system_scan.h"
#include "resources/resource.h"
#include "services/misc.h"
#include "services/sigscan.h"

namespace vz {

namespace {

constexpr char kExecutableExtensions[] = ".EXE.COM.DLL.DRV.OVR.OVL.SYS.";
constexpr std::size_t kExtensionKeyCapacity = 6;  // ".", three characters, ".", "."
constexpr int kDriverOptions = 0x8203;
constexpr int32_t kLateStart = 2000;  // a start from here on gets the bottom scan first
constexpr char kAllFiles[] = "*.*";
constexpr const char* kScannedSubfolders[] = {"", "SYSTEM\\", "COMMAND\\"};

}  // namespace

ScanKinds ScanKindsFor(short fileType, int32_t start) {
  static constexpr short kExecutableOrder[] = {kScanBottom, kScanPe, kScanPolymorphic};
  static constexpr short kEarlyStartOrder[] = {kScanTop, kScanBottom, kScanPe, kScanPolymorphic};
  static constexpr short kLateStartOrder[] = {kScanBottom, kScanTop, kScanPe, kScanPolymorphic};
  if (fileType == 1 || fileType == 2) return {kExecutableOrder, std::size(kExecutableOrder)};
  if (start >= kLateStart) return {kLateStartOrder, std::size(kLateStartOrder)};
  return {kEarlyStartOrder, std::size(kEarlyStartOrder)};
}

int HasExecutableExtension(const char* name) {
  std::size_t length = std::strlen(name);
  std::size_t lowest = length > 4 ? length - 4 : 0;
  std::size_t dot = length;
  for (std::size_t i = length; i-- > lowest;) {
    if (name[i] == '.') {
      dot = i;
      break;
    }
  }
  if (dot == length) return 0;
  // The key: the dot, up to three characters, a dot, and one more dot when
  // fewer than three characters followed.
  char key[kExtensionKeyCapacity + 1] = ".";
  std::size_t taken = 0;
  for (; taken < 3 && name[dot + 1 + taken] != '\0'; ++taken) key[1 + taken] = name[dot + 1 + taken];
  key[1 + taken] = '.';
  key[2 + taken] = '\0';
  if (taken < 3) AppendText(key, ".");
  UpperText(key);
  return std::strstr(kExecutableExtensions, key) != nullptr ? 1 : 0;
}

int RunSignatureScan(HANDLE file, short kind, const char* path) {
  Index index{-1, -1};
  switch (kind) {
    case kScanTop: ScanTopViruses(file, &index); break;
    case kScanBottom: ScanBottViruses(file, &index); break;
    case kScanPolymorphic: ScanPolyViruses(file, &index); break;
    case kScanPe: ScanPEViruses(file, &index); break;
    default: return 0;
  }
  if (index.virusId == -1) return 0;
  CloseHandle(file);
  ReportVirus(index.virusId, kind, path, index.recordNumber);
  return 1;
}

int ScanFile(const char* path) {
  char copy[kPathCapacity];
  if (!CopyText(copy, path)) return 0;  // a cut path would name another file
  SetDriverOptions(kDriverOptions, copy, static_cast<int>(std::strlen(copy)));
  HANDLE file = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;

  char shown[kPathCapacity];
  CopyText(shown, copy);
  UpperText(shown);
  if (g_scanDialog) SetDlgItemTextA(g_scanDialog, IDC_CURRENT_FILE, shown);

  short type = CheckFileType(file);
  ScanKinds order = ScanKindsFor(type, GetVirExeStart(file, type));
  for (std::size_t i = 0; i < order.count; ++i)
    if (RunSignatureScan(file, order.kinds[i], shown)) return 1;  // the file was closed there
  CloseHandle(file);
  return 0;
}

int ScanFolder(const char* pattern) {
  std::size_t patternLength = std::strlen(pattern);
  if (patternLength < std::strlen(kAllFiles)) return 0;
  char folder[kPathCapacity];
  if (!CopyText(folder, pattern)) return 0;
  folder[patternLength - std::strlen(kAllFiles)] = '\0';

  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int found = 0;
  bool first = true;
  do {
    if (!first) LowerText(entry.cFileName);
    first = false;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    char path[kPathCapacity];
    CopyText(path, folder);
    if (!AppendText(path, entry.cFileName)) continue;  // too long for a path: not opened under a cut name
    if (HasExecutableExtension(entry.cFileName) && ScanFile(path)) found = 1;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

int ScanSystemFiles() {
  int found = 0;
  char comspec[kPathCapacity];
  DWORD length = GetEnvironmentVariableA("COMSPEC", comspec, kPathCapacity);
  // Unset, or longer than a path: there is no command interpreter to scan.
  if (length > 0 && length < kPathCapacity && ScanFile(comspec)) found = 1;

  char windows[kPathCapacity];
  UINT windowsLength = GetWindowsDirectoryA(windows, kPathCapacity);
  if (windowsLength == 0 || windowsLength >= kPathCapacity || !EnsureTrailingBackslash(windows)) return found;
  for (const char* subfolder : kScannedSubfolders) {
    char pattern[kPathCapacity];
    CopyText(pattern, windows);
    if (!AppendText(pattern, subfolder) || !AppendText(pattern, kAllFiles)) continue;
    if (ScanFolder(pattern)) found = 1;
  }
  return found;
}

}  // namespace vz
