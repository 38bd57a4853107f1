#include "machine.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

std::string FolderOf(const std::string& path) {
  auto cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNameOf(const std::string& path) {
  auto cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A Start Menu folder of Program Manager groups, ending with "\"; empty when unknown.
std::string ProgramsFolder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) return {};
  return std::string(path) + "\\";
}

// Drops the lines naming the start-up checker; a file left empty goes.
void RemoveStartupCheckerLine(const std::string& path) {
  auto text = ReadFileBytes(path);
  if (!text) return;
  std::string kept, line;
  bool dropped = false;
  std::istringstream lines(*text);
  while (std::getline(lines, line)) {
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (lower.find("vzstrup") == std::string::npos) kept += line + "\n";
    else dropped = true;
  }
  if (!dropped) return;
  if (kept.find_first_not_of("\r\n\x1a") == std::string::npos) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } else {
    WriteFileBytes(path, kept);
  }
}

}  // namespace

void SetProgramOs(const std::string& exeName, Os os) {
  SetRegText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + exeName, "Version",
             os == Os::Windows95 ? "win95" : "nt40");
}

HANDLE StartProgram(const std::string& exePath, const std::string& arguments, DWORD* pid) {
  std::string commandLine = "\"" + exePath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string folder = FolderOf(exePath);
  if (!CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

RunResult RunProgram(const std::string& exePath, const std::string& arguments, Robot& user,
                     const RunOptions& options) {
  RunResult result;
  // The command line the program sees: its name, then the arguments, as a
  // parent program would pass them.
  std::string commandLine = FileNameOf(exePath);
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string folder = options.workingFolder.empty() ? FolderOf(exePath) : options.workingFolder;
  if (!CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    ADD_FAILURE() << "could not start " << exePath << " (error " << GetLastError() << ")";
    return result;
  }
  result.started = true;
  result.pid = pi.dwProcessId;
  user.Start(pi.dwProcessId);
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  if (WaitForSingleObject(pi.hProcess, options.timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(pi.hProcess, 0xDEAD);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &result.exitCode);
  CloseHandle(pi.hProcess);
  user.Finish();
  if (result.timedOut)
    ADD_FAILURE() << FileNameOf(exePath) << " " << arguments << " did not end within " << options.timeoutMs
                  << " ms; the robot saw:\n" << user.Transcript();
  else if (options.reportRobotFailures && !user.Ok())
    ADD_FAILURE() << "the robot user's script was not followed:\n" << user.Transcript();
  return result;
}

namespace {
const char kCopyMark[] = "-as-";
std::string OwnPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}
}  // namespace

RunResult RunOwnCopyAs(Os os, const std::string& gtestFilter) {
  std::string own = OwnPath();
  std::string name = FileNameOf(own);
  std::string copyName = name.substr(0, name.rfind('.')) + kCopyMark + (os == Os::Windows95 ? "win95" : "nt40") + ".exe";
  std::string copy = FolderOf(own) + copyName;
  RunResult result;
  if (!CopyFileA(own.c_str(), copy.c_str(), FALSE)) {
    ADD_FAILURE() << "could not copy " << own << " to " << copy;
    return result;
  }
  SetProgramOs(copyName, os);
  Robot nobody;
  result = RunProgram(copy, "--gtest_filter=" + gtestFilter, nobody);
  DeleteFileA(copy.c_str());
  return result;
}

bool IsOwnCopy() { return FileNameOf(OwnPath()).find(kCopyMark) != std::string::npos; }

TestMachine TestMachine::Prepared(Os os) {
  ClearProductRecords();
  SetProgramOs("vzset.exe", os);
  return TestMachine(os);
}

std::string TestMachine::BinFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return FolderOf(path);
}

std::string TestMachine::MediaFolder() { return BinFolder() + "..\\media\\"; }

std::string TestMachine::WindowsFolder() {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, sizeof path);
  std::string folder = path;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

RunResult TestMachine::RunHelper(const std::string& commandLine, Robot& user, const RunOptions& options) const {
  return RunHelperFrom(BinFolder() + "vzset.exe", commandLine, user, options);
}

RunResult TestMachine::RunHelperFrom(const std::string& helperPath, const std::string& commandLine, Robot& user,
                                     const RunOptions& options) const {
  SetProgramOs(FileNameOf(helperPath), os_);
  return RunProgram(helperPath, commandLine, user, options);
}

void TestMachine::ClearProductRecords() {
  DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto");
  DeleteRegTree(HKEY_CURRENT_USER, "Software\\Orvanto");
  DeleteRegTree(HKEY_USERS, ".Default\\Software\\Orvanto");
  DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor");
  const char* run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  for (const char* v : {"Velzor Scheduler", "Velzor ToolBar", "Velzor On-Line Protection", "VZFW"})
    DeleteRegValue(HKEY_LOCAL_MACHINE, run, v);
  DeleteRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                 "Velzor Installation");
  SetFileAttributesA("C:\\VZ.INI", FILE_ATTRIBUTE_NORMAL);
  DeleteFileA("C:\\VZ.INI");
  std::string win = WindowsFolder();
  for (const char* f : {"VZ32.INI", "WININIT.INI", "WININIT.TMP", "WININIT.VZ"}) DeleteFileA((win + f).c_str());
  // The Program Manager group, and the start-up checker's line in AUTOEXEC.BAT with its backup.
  for (std::string programs : {ProgramsFolder(CSIDL_PROGRAMS), ProgramsFolder(CSIDL_COMMON_PROGRAMS)})
    if (!programs.empty()) RemoveTree(programs + "Velzor");
  for (const char* f : {"C:\\AUTOEXEC.VZ", "C:\\AUTOEXEC.TMP"}) DeleteFileA(f);
  RemoveStartupCheckerLine("C:\\AUTOEXEC.BAT");
}

// --- Registry ----------------------------------------------------------------------

std::optional<std::string> RegText(HKEY root, const std::string& key, const std::string& name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<std::string> result;
  if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
        ERROR_SUCCESS) {
      data.resize(size);
      if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0')
        data.resize(strnlen(data.c_str(), data.size()));
      result = data;
    }
  }
  RegCloseKey(k);
  return result;
}

bool RegKeyExists(HKEY root, const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void SetRegText(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
  HKEY k;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS) {
    ADD_FAILURE() << "could not create key " << key;
    return;
  }
  RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

void DeleteRegValue(HKEY root, const std::string& key, const std::string& name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_WRITE, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name.c_str());
  RegCloseKey(k);
}

void DeleteRegTree(HKEY root, const std::string& key) {
  RegDeleteTreeA(root, key.c_str());  // values and subkeys
  RegDeleteKeyA(root, key.c_str());   // the key itself
}

std::vector<std::string> RegValueNames(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD len = sizeof name;
    if (RegEnumValueA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(k);
  return names;
}

// --- Files ---------------------------------------------------------------------------

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) data.append(chunk, got);
  CloseHandle(f);
  return data;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  MakeFolders(FolderOf(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "could not write " << path;
    return;
  }
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

void MakeFolders(const std::string& path) {
  if (path.empty()) return;
  std::string partial;
  std::istringstream parts(path);
  std::string piece;
  while (std::getline(parts, piece, '\\')) {
    partial += piece + "\\";
    if (piece.empty() || piece.back() == ':') continue;
    CreateDirectoryA(partial.c_str(), nullptr);
  }
}

void RemoveTree(const std::string& path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
      std::string child = folder + "\\" + fd.cFileName;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  DWORD len = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  if (len == 0 || len >= sizeof buffer) return path;
  return buffer;
}

}  // namespace bench
