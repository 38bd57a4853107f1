#include "removal_machine.h"

#include <gtest/gtest.h>

namespace removal {

using namespace bench;

std::string Media(const std::string& name) {
  auto bytes = ReadFileBytes(TestMachine::MediaFolder() + name);
  if (!bytes) ADD_FAILURE() << name << " is not on the setup media";
  return bytes.value_or("");
}

std::string MediaSource() {
  std::string folder = ShortPath(TestMachine::MediaFolder());
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

RunningProgram::RunningProgram(const std::string& exeName, const std::string& arguments) {
  process_ = StartProgram(TestMachine::BinFolder() + exeName, arguments, &pid_);
  if (!process_) ADD_FAILURE() << "could not start " << exeName;
}

RunningProgram::~RunningProgram() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool RunningProgram::Ended(int milliseconds) const {
  return process_ && WaitForSingleObject(process_, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

HWND WaitForWindow(const char* title, int milliseconds, const char* windowClass) {
  for (int waited = 0;; waited += 50) {
    if (HWND window = FindWindowA(windowClass, title)) return window;
    if (waited >= milliseconds) return nullptr;
    Sleep(50);
  }
}

std::string ProgramOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  std::string result = QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : "";
  CloseHandle(process);
  return result;
}

bool SameFile(const std::string& a, const std::string& b) {
  auto normal = [](const std::string& path) {
    char full[MAX_PATH * 2], longForm[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string result = n > 0 && n < sizeof full ? std::string(full, n) : path;
    n = GetLongPathNameA(result.c_str(), longForm, sizeof longForm);
    if (n > 0 && n < sizeof longForm) result.assign(longForm, n);
    for (char& c : result) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return result;
  };
  return normal(a) == normal(b);
}

void CloseWindows(const char* title) {
  for (int i = 0; i < 10; ++i) {
    HWND window = FindWindowA(nullptr, title);
    if (!window) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process) {
      if (WaitForSingleObject(process, 3000) == WAIT_TIMEOUT) TerminateProcess(process, 0xDEAD);
      CloseHandle(process);
    }
    WaitGone(window, 3000);
  }
}

RunResult RunStep(const std::string& arguments, Robot& user, const RunOptions& options) {
  SetProgramOs("vzops.exe", Os::WindowsNT);
  return RunProgram(TestMachine::BinFolder() + "vzops.exe", arguments, user, options);
}

}  // namespace removal
