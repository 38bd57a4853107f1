// Starting programs and restarting Windows: ExecFile, RestartWindows.
#include <windows.h>

#include <cstring>

#include "core/text.h"
#include "misc_dll.h"

namespace {

bool IsFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Splits "program [its own arguments]" into the program file and the rest:
// the whole text when it names a file, else the shortest part before a blank
// that does. False when no part names a file.
bool FindProgram(const char* text, char* program, size_t capacity, const char** rest) {
  if (IsFile(text)) {
    *rest = text + std::strlen(text);
    return vz::CopyText(program, capacity, text);
  }
  for (const char* blank = std::strchr(text, ' '); blank; blank = std::strchr(blank + 1, ' ')) {
    size_t len = static_cast<size_t>(blank - text);
    if (len == 0 || len >= capacity) continue;
    std::memcpy(program, text, len);
    program[len] = '\0';
    if (IsFile(program)) {
      *rest = blank;
      return true;
    }
  }
  return false;
}

// Waits for the process to end, handling the messages other threads send to
// this thread's windows meanwhile (posted messages stay queued).
void WaitForEnd(HANDLE process) {
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return;  // ended, or the wait failed
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages
  }
}

}  // namespace

int ExecFile(const char* programPath, const char* parameters, int showCommand, int wait, int fifthFlag) {
  if (!programPath || !*programPath) return 0;
  if (!parameters) parameters = "";
  char command[vzmisc::kCommandCapacity] = "";
  char program[MAX_PATH * 2] = "";
  char folder[MAX_PATH * 2] = "";
  const char* rest = "";
  bool fits = true;
  if (programPath[0] != '"' && FindProgram(programPath, program, sizeof program, &rest)) {
    fits = vz::CopyText(command, "\"") && vz::AppendText(command, program) && vz::AppendText(command, "\"") &&
           vz::AppendText(command, rest);
    vz::CopyText(folder, program);
    if (char* slash = std::strrchr(folder, '\\')) slash[1] = '\0';
    else folder[0] = '\0';
  } else {
    fits = vz::CopyText(command, programPath);
  }
  if (parameters[0] != '\0') fits = fits && vz::AppendText(command, " ") && vz::AppendText(command, parameters);
  if (!fits) return 0;  // a cut command line would run something else

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  DWORD creation = fifthFlag == 1 ? CREATE_NO_WINDOW : 0;
  if (!CreateProcessA(program[0] ? program : nullptr, command, nullptr, nullptr, FALSE, creation, nullptr,
                      folder[0] ? folder : nullptr, &startup, &process))
    return 0;
  CloseHandle(process.hThread);
  if (wait) WaitForEnd(process.hProcess);
  CloseHandle(process.hProcess);
  return 1;
}

int RestartWindows(void) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {  // NT restarts only for a caller holding the privilege
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
      TOKEN_PRIVILEGES privileges{};
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
      CloseHandle(token);
    }
  }
  return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}
