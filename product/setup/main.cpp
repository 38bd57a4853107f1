// SETUP.EXE, Velzor's outer setup. Its main window, titled "Setup", stays
// while the helper's phases run (they hide, show and close it); the setup ends
// when the window is closed.
#include <windows.h>

#include "product_common.h"

namespace {

constexpr char kWindowClass[] = "VelzorSetup";
constexpr char kWindowTitle[] = "Setup";

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateWindowA("STATIC", "Velzor Setup", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 40, 400, 24, window, nullptr,
                    reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance, nullptr);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (!vzp::RegisterWindowClass(instance, kWindowClass, WindowProc)) return 1;
  HWND window = CreateWindowA(kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 440, 160,
                              nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  return vzp::RunMessageLoop();
}
