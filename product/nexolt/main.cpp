// NEXOLT.EXE, the product's on-line protection: a resident program without a
// visible window. It makes itself known by a named mutex and a hidden
// top-level window (see nexolt_protocol.h), keeps the files the setup may
// read unhindered, and ends on WM_CLOSE or when the Windows session ends.
#include <windows.h>

#include <cstring>

#include "nexolt_protocol.h"

namespace {

constexpr int kPathCapacity = 260;

// The files the setup may read unhindered: the last kMaxAllowed paths.
struct AllowedFiles {
  char paths[vznexolt::kMaxAllowed][kPathCapacity];
  int next = 0;
  int count = 0;
};
AllowedFiles g_allowed;

// The path of a request, bounded by both the data size and the capacity.
bool RequestPath(const COPYDATASTRUCT* data, char* path) {
  if (!data || !data->lpData || data->cbData == 0) return false;
  size_t len = strnlen(static_cast<const char*>(data->lpData), data->cbData);
  if (len == 0 || len >= kPathCapacity) return false;
  std::memcpy(path, data->lpData, len);
  path[len] = '\0';
  return true;
}

LRESULT Request(const COPYDATASTRUCT* data) {
  char path[kPathCapacity];
  if (!RequestPath(data, path)) return 0;
  switch (data->dwData) {
    case vznexolt::kAllowSetupRead:
      std::memcpy(g_allowed.paths[g_allowed.next], path, sizeof path);
      g_allowed.next = (g_allowed.next + 1) % vznexolt::kMaxAllowed;
      if (g_allowed.count < vznexolt::kMaxAllowed) ++g_allowed.count;
      return 1;
    case vznexolt::kQueryAllowed:
      for (int i = 0; i < g_allowed.count; ++i)
        if (lstrcmpiA(g_allowed.paths[i], path) == 0) return 1;
      return 0;
    default:
      return 0;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      return Request(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, vznexolt::kMutexName);
  if (!mutex) return 1;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {  // already loaded: one protection per session
    CloseHandle(mutex);
    return 0;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = vznexolt::kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;
  // Hidden and top-level, never shown.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, vznexolt::kWindowClass, vznexolt::kWindowTitle, WS_POPUP, 0, 0, 0,
                                0, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CloseHandle(mutex);
  return 0;
}
