// TOOLBAR.EXE, Velzor's tool bar: a small window titled "Velzor ToolBar" that
// stays on top and starts the product's programs from its own folder. It
// closes on WM_CLOSE.
#include <windows.h>

#include "product_common.h"

namespace {

constexpr char kWindowClass[] = "VelzorToolBar";
constexpr char kWindowTitle[] = "Velzor ToolBar";

struct ToolButton {
  int id;
  const char* label;
  const char* program;
  const char* arguments;
};

constexpr ToolButton kButtons[] = {
    {101, "Scan", "VZ32.EXE", ""},
    {102, "Scan All", "VZ32.EXE", "/AllDrives"},
    {103, "Scheduler", "VZSCHED.EXE", ""},
};

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

void StartProgram(HWND window, const ToolButton& button) {
  if (vzp::StartBeside(button.program, button.arguments, SW_SHOWNORMAL)) return;
  char text[80] = "Could not start ";
  vz::AppendText(text, button.program);
  MessageBoxA(window, text, kWindowTitle, MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance;
      int x = 4;
      for (const auto& b : kButtons) {
        CreateWindowA("BUTTON", b.label, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 4, kButtonWidth, kButtonHeight,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
        x += kButtonWidth + 4;
      }
      return 0;
    }
    case WM_COMMAND:
      for (const auto& b : kButtons)
        if (LOWORD(wp) == b.id) StartProgram(window, b);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (HWND running = FindWindowA(kWindowClass, kWindowTitle)) {  // one tool bar is enough
    SetForegroundWindow(running);
    return 0;
  }
  if (!vzp::RegisterWindowClass(instance, kWindowClass, WindowProc)) return 1;
  constexpr int count = sizeof kButtons / sizeof kButtons[0];
  RECT frame{0, 0, 4 + count * (kButtonWidth + 4), kButtonHeight + 8};
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kWindowClass, kWindowTitle, style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  return vzp::RunMessageLoop();
}
