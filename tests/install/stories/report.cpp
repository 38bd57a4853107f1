// The report of what an installation left on the machine, printed by the
// demo after each story.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "story.h"

using namespace bench;

namespace story {

namespace {

const char* RootName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return "HKLM";
  if (root == HKEY_CURRENT_USER) return "HKCU";
  if (root == HKEY_USERS) return "HKU";
  return "HKCR";
}

// A key's values, then its subkeys', indented.
void PrintKey(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::printf("  %s\\%s\n", RootName(root), path.c_str());
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    BYTE data[1024];
    DWORD size = sizeof data - 1, type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    data[size] = '\0';
    std::printf("      %-26s = %s\n", nameLength ? name : "(default)",
                type == REG_SZ || type == REG_EXPAND_SZ ? reinterpret_cast<char*>(data) : "(not text)");
  }
  std::vector<std::string> subkeys;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name);
  }
  RegCloseKey(key);
  for (const auto& subkey : subkeys) PrintKey(root, path + "\\" + subkey);
}

std::string Attributes(DWORD attributes) {
  std::string text;
  if (attributes & FILE_ATTRIBUTE_READONLY) text += "read-only ";
  if (attributes & FILE_ATTRIBUTE_HIDDEN) text += "hidden ";
  if (attributes & FILE_ATTRIBUTE_SYSTEM) text += "system ";
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) text += "archive ";
  if (!text.empty()) text.pop_back();
  return text.empty() ? "normal" : text;
}

void PrintFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    std::printf("\n%s: none\n", path.c_str());
    return;
  }
  std::printf("\n%s (%s)\n", path.c_str(), Attributes(attributes).c_str());
  std::string text = ReadFileBytes(path).value_or("");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("    %s\n", line.c_str());
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void PrintFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    std::printf("    (none)\n");
    return;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::printf("    %-14s %9lu  %s\n", found.cFileName, static_cast<unsigned long>(found.nFileSizeLow),
                Attributes(found.dwFileAttributes).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

void PrintReport(const std::string& title) {
  std::printf("\n==== What the installation left: %s, on %s ====\n\nRecords\n", title.c_str(),
              OsName(TheOptions().os));
  PrintKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor");
  PrintKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto");
  PrintKey(HKEY_CURRENT_USER, "Software\\Orvanto");
  PrintKey(HKEY_USERS, ".Default\\Software\\Orvanto");
  for (const char* type : {"exefile", "comfile", "Drive", "Directory"})
    PrintKey(HKEY_CLASSES_ROOT, std::string(type) + "\\shell\\Velzor Scan\\command");

  std::printf("\nRun values\n");
  PrintKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  PrintKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce");

  std::printf("\nFiles in %s (%s)\n", kInstallFolder, InstallShort().c_str());
  PrintFolder(InstallShort());

  std::printf("\nStart Menu group \"Velzor\"\n");
  auto items = StartMenuGroup("Velzor");
  if (items.empty()) std::printf("    (none)\n");
  for (const auto& item : items) std::printf("    %s\n", item.c_str());

  PrintFile("C:\\VZ.INI");
  PrintFile(TestMachine::WindowsFolder() + "VZ32.INI");
  PrintFile("C:\\AUTOEXEC.BAT");

  std::printf("\nDiskette in drive A:\n");
  PrintFolder("A:\\");
  std::fflush(stdout);
}

}  // namespace story
