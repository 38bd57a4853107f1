#include "session_guard.h"

namespace bench {

SessionGuard::SessionGuard() {
  thread_ = std::thread([this] { Run(); });
  while (!ready_) Sleep(10);
}

SessionGuard::~SessionGuard() {
  if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
  thread_.join();
}

bool SessionGuard::WaitAsked(int milliseconds) const {
  for (int waited = 0; !asked_ && waited < milliseconds; waited += 50) Sleep(50);
  return asked_;
}

LRESULT CALLBACK SessionGuard::Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<SessionGuard*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (msg == WM_QUERYENDSESSION && self) {
    self->asked_ = true;
    return FALSE;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, msg, wp, lp);
}

void SessionGuard::Run() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "SessionGuard";
  RegisterClassA(&wc);
  window_ = CreateWindowA("SessionGuard", "Session Guard", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                          nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ready_ = true;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

}  // namespace bench
