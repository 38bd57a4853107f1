// The outer setup's stand-in: a top-level window titled "Setup", owned by the
// test process, that records what is done to it. After WM_CLOSE it destroys
// itself, as the real outer setup does when a phase abandons the installation.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bench {

class OuterSetupWindow {
 public:
  explicit OuterSetupWindow(const char* title = "Setup");
  ~OuterSetupWindow();
  OuterSetupWindow(const OuterSetupWindow&) = delete;
  OuterSetupWindow& operator=(const OuterSetupWindow&) = delete;

  // What happened since it was created, in order, separated by blanks:
  // "hidden", "shown", "foreground", "closed".
  std::string Events() const;
  bool Exists() const;
  bool Visible() const;
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  void Record(const char* event);
  void Run(const char* title);

  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  HWND hwnd_ = nullptr;
  DWORD threadId_ = 0;
  bool recording_ = false;
  bool active_ = false;
  HANDLE ready_ = nullptr;
  std::thread thread_;
};

}  // namespace bench
