#include "product_common.h"

#include <cstring>

namespace vzp {

bool OwnFolder(char* buffer, std::size_t capacity) {
  char path[kPathCapacity];
  DWORD len = GetModuleFileNameA(nullptr, path, sizeof path);
  buffer[0] = '\0';
  if (len == 0 || len >= sizeof path) return false;
  char* cut = std::strrchr(path, '\\');
  if (!cut) return false;
  cut[1] = '\0';
  if (!vz::CopyText(buffer, capacity, path)) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

bool FileBeside(char* buffer, std::size_t capacity, const char* name) {
  if (!OwnFolder(buffer, capacity)) return false;
  if (!vz::AppendText(buffer, capacity, name)) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool HasExtensionIn(const char* name, const char* list) {
  const char* dot = std::strrchr(name, '.');
  if (!dot || std::strlen(dot) != 4) return false;
  char key[6];
  vz::CopyText(key, dot);
  vz::AppendText(key, ".");
  vz::UpperText(key);
  return std::strstr(list, key) != nullptr;
}

bool StartBeside(const char* name, const char* arguments, int show) {
  char program[kPathCapacity];
  char folder[kPathCapacity];
  if (!FileBeside(program, name) || !OwnFolder(folder)) return false;
  char commandLine[2 * kPathCapacity] = "\"";
  if (!vz::AppendText(commandLine, program) || !vz::AppendText(commandLine, "\"")) return false;
  if (arguments && arguments[0] &&
      (!vz::AppendText(commandLine, " ") || !vz::AppendText(commandLine, arguments)))
    return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

int RunMessageLoop(HWND dialogWindow) {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (dialogWindow && IsDialogMessageA(dialogWindow, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vzp
