#include "outer_setup_window.h"

namespace bench {

namespace {
constexpr char kClassName[] = "BenchOuterSetup";
}

OuterSetupWindow::OuterSetupWindow(const char* title) {
  ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, title] { Run(title); });
  WaitForSingleObject(ready_, 10000);
}

OuterSetupWindow::~OuterSetupWindow() {
  if (threadId_) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  if (thread_.joinable()) thread_.join();
  CloseHandle(ready_);
}

void OuterSetupWindow::Run(const char* title) {
  threadId_ = GetCurrentThreadId();
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);  // fails harmlessly when already registered
  hwnd_ = CreateWindowA(kClassName, title, WS_OVERLAPPEDWINDOW, 40, 40, 480, 320, nullptr, nullptr,
                        wc.hInstance, this);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  // Let the first show and activation settle before recording.
  MSG msg;
  for (int i = 0; i < 10; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  {
    std::lock_guard lock(mutex_);
    recording_ = true;
    active_ = GetForegroundWindow() == hwnd_;
  }
  SetEvent(ready_);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void OuterSetupWindow::Record(const char* event) {
  std::lock_guard lock(mutex_);
  if (recording_) events_.emplace_back(event);
}

LRESULT CALLBACK OuterSetupWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<OuterSetupWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
      break;
    case WM_SHOWWINDOW:  // comes before the window changes and before any activation
      if (self) self->Record(wp ? "shown" : "hidden");
      break;
    case WM_ACTIVATE:
      if (self) {
        bool nowActive = LOWORD(wp) != WA_INACTIVE;
        bool record = false;
        {
          std::lock_guard lock(self->mutex_);
          record = nowActive && !self->active_;
          self->active_ = nowActive;
        }
        if (record) self->Record("foreground");
      }
      break;
    case WM_CLOSE:
      if (self) self->Record("closed");
      DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY:
      if (self) self->hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

std::string OuterSetupWindow::Events() const {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const auto& e : events_) out += (out.empty() ? "" : " ") + e;
  return out;
}

bool OuterSetupWindow::Exists() const { return hwnd_ != nullptr && IsWindow(hwnd_); }

bool OuterSetupWindow::Visible() const { return Exists() && IsWindowVisible(hwnd_); }

}  // namespace bench
