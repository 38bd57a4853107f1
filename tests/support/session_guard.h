// A window that refuses the end of the session, as a program with unsaved
// work does: a restart of Windows asked for while it is up does not happen,
// and the case sees that it was asked. For cases on a machine of their own
// that need to read what was recorded before a restart.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace bench {

class SessionGuard {
 public:
  SessionGuard();
  ~SessionGuard();
  SessionGuard(const SessionGuard&) = delete;
  SessionGuard& operator=(const SessionGuard&) = delete;

  // True once Windows has asked to end the session, waiting at most that long.
  bool WaitAsked(int milliseconds) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
  void Run();

  std::thread thread_;
  HWND window_ = nullptr;
  std::atomic<bool> ready_{false};
  std::atomic<bool> asked_{false};
};

}  // namespace bench
