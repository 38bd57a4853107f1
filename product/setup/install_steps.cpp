#include "install_steps.h"

#include <cstdio>
#include <cstring>

namespace vzsetup {

namespace {

constexpr char kCaption[] = "Velzor Setup";
constexpr char kUninstallCaption[] = "Velzor Uninstall";
constexpr char kLogFilesSection[] = "Files";
constexpr std::size_t kCommandCapacity = 2 * vzp::kPathCapacity;
constexpr std::size_t kMessageCapacity = 3 * vzp::kPathCapacity;
constexpr std::size_t kUserTextCapacity = 64;

// Makes a folder and the folders above it; true when it exists afterwards.
bool MakeFolders(const char* folder) {
  char partial[vzp::kPathCapacity];
  if (!vz::CopyText(partial, folder)) return false;
  for (char* at = partial; *at; ++at) {
    if (*at != '\\' || at == partial || at[-1] == ':') continue;
    *at = '\0';
    CreateDirectoryA(partial, nullptr);
    *at = '\\';
  }
  CreateDirectoryA(partial, nullptr);
  DWORD attributes = GetFileAttributesA(partial);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathIn(char* path, std::size_t capacity, const char* folder, const char* name) {
  return vz::CopyText(path, capacity, folder) && vz::EnsureTrailingBackslash(path, capacity) &&
         vz::AppendText(path, capacity, name);
}

// Copies one file over whatever is there, asking again while it fails and
// the user says Retry.
bool CopyOne(const char* from, const char* to) {
  for (;;) {
    SetFileAttributesA(to, FILE_ATTRIBUTE_NORMAL);
    if (CopyFileA(from, to, FALSE)) return true;
    char text[kMessageCapacity];
    std::snprintf(text, sizeof text, "Setup could not copy\n%s\nto\n%s\n\nThe file may be in use or the disk full.",
                  from, to);
    if (MessageBoxA(GetActiveWindow(), text, kCaption, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY)
      return false;
  }
}

// Reads a text value of HKLM; empty when it is not there.
void ReadMachineText(const char* key, const char* name, char* value, DWORD capacity) {
  value[0] = '\0';
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
  DWORD type = 0, size = capacity;
  if (RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    value[0] = '\0';
  value[capacity - 1] = '\0';
  RegCloseKey(handle);
}

bool WriteMachineText(HKEY key, const char* name, const char* value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

// The uninstall command of this setup for an install folder.
bool UninstallCommand(const SetupMedia& media, char* command, std::size_t capacity) {
  char uninstaller[vzp::kPathCapacity] = "";
  UINT length = GetWindowsDirectoryA(uninstaller, sizeof uninstaller);
  if (length == 0 || length >= sizeof uninstaller) return false;
  char log[vzp::kPathCapacity];
  return PathIn(uninstaller, sizeof uninstaller, uninstaller, kUninstallerName) &&
         PathIn(log, sizeof log, media.installFolder, kLogName) && vz::CopyText(command, capacity, uninstaller) &&
         vz::AppendText(command, capacity, " -f\"") && vz::AppendText(command, capacity, log) &&
         vz::AppendText(command, capacity, "\"");
}

}  // namespace

bool CopyProductFiles(const SetupMedia& media, CopyProgress progress) {
  if (!MakeFolders(media.installFolder)) {
    char text[kMessageCapacity];
    std::snprintf(text, sizeof text, "Setup could not make the folder\n%s", media.installFolder);
    MessageBoxA(GetActiveWindow(), text, kCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  char log[vzp::kPathCapacity];
  if (!PathIn(log, sizeof log, media.installFolder, kLogName)) return false;
  DeleteFileA(log);
  for (const char* name = media.files; *name; name += std::strlen(name) + 1) {
    if (progress && !progress(name)) return false;
    char from[vzp::kPathCapacity], to[vzp::kPathCapacity];
    if (!PathIn(from, sizeof from, media.folder, name) || !PathIn(to, sizeof to, media.installFolder, name) ||
        !CopyOne(from, to))
      return false;
    // Each copied file is logged as it is copied, so the log always names
    // what this setup has put in the folder.
    WritePrivateProfileStringA(kLogFilesSection, name, "", log);
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, log);  // written out now
  return true;
}

bool RegisterUninstallEntry(const SetupMedia& media) {
  char command[kCommandCapacity];
  if (!UninstallCommand(media, command, sizeof command)) return false;
  // The uninstaller named by the command: this very program.
  char self[vzp::kPathCapacity];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  char uninstaller[vzp::kPathCapacity];
  vz::CopyText(uninstaller, command);
  if (char* blank = std::strstr(uninstaller, " -f")) *blank = '\0';
  if (length == 0 || length >= sizeof self || !CopyFileA(self, uninstaller, FALSE)) return false;

  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  bool written = WriteMachineText(key, "DisplayName", media.productName) &&
                 WriteMachineText(key, "UninstallString", command);
  RegCloseKey(key);
  return written;
}

void RecordRegisteredUser(const SetupMedia& media) {
  // Windows NT keeps them in its own key, Windows 95 in the common one.
  const char* const sources[] = {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"};
  char name[kUserTextCapacity] = "", company[kUserTextCapacity] = "";
  for (const char* source : sources) {
    if (name[0] == '\0') ReadMachineText(source, "RegisteredOwner", name, sizeof name);
    if (company[0] == '\0') ReadMachineText(source, "RegisteredOrganization", company, sizeof company);
  }
  char versionKey[vzp::kPathCapacity] = "SOFTWARE\\Orvanto\\Velzor\\";
  vz::AppendText(versionKey, media.version);
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, versionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  WriteMachineText(key, "Name", name);
  WriteMachineText(key, "Company", company);
  RegCloseKey(key);
}

int UninstallFromLog(const char* commandLine) {
  // -f, one character (the quote), then the log's path; a closing quote is dropped.
  if (std::strlen(commandLine) < 4) return 2;
  char log[vzp::kPathCapacity];
  if (!vz::CopyText(log, commandLine + 3)) return 2;
  std::size_t length = std::strlen(log);
  if (length > 0 && log[length - 1] == '"') log[length - 1] = '\0';
  char folder[vzp::kPathCapacity];
  vz::CopyText(folder, log);
  char* slash = std::strrchr(folder, '\\');
  if (!slash || !vzp::PathExists(log)) {
    char text[kMessageCapacity];
    std::snprintf(text, sizeof text, "The setup log\n%s\ncannot be found. Nothing was removed.", log);
    MessageBoxA(nullptr, text, kUninstallCaption, MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  slash[1] = '\0';

  char question[kMessageCapacity];
  std::snprintf(question, sizeof question,
                "The Velzor files that Setup copied to\n%s\nwill be removed.\n\nDo you want to continue?", folder);
  if (MessageBoxA(nullptr, question, kUninstallCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 2;

  static char names[kFileListCapacity];
  DWORD listed = GetPrivateProfileSectionA(kLogFilesSection, names, sizeof names, log);
  int failures = 0;
  if (listed + 2 < sizeof names) {
    for (const char* entry = names; *entry; entry += std::strlen(entry) + 1) {
      // "NAME=": the name alone, without cutting the list.
      char name[vzp::kPathCapacity];
      vz::CopyText(name, entry);
      if (char* equals = std::strchr(name, '=')) *equals = '\0';
      char path[vzp::kPathCapacity];
      if (std::strpbrk(name, "\\/:") || !PathIn(path, sizeof path, folder, name)) continue;
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(path) && vzp::PathExists(path)) ++failures;
    }
  }
  DeleteFileA(log);
  RemoveDirectoryA(folder);  // only when nothing else is left in it

  // The entry goes only while it still names this uninstaller: an installed
  // product has its own.
  char entry[kCommandCapacity] = "";
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD type = 0, size = sizeof entry - 1;
    RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(entry), &size);
    RegCloseKey(key);
    if (std::strstr(entry, log) != nullptr) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
  MessageBoxA(nullptr,
              failures ? "Some of the files could not be removed: they are in use or protected."
                       : "The files Setup copied have been removed.",
              kUninstallCaption, MB_OK | (failures ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
  return failures ? 1 : 0;
}

}  // namespace vzsetup
