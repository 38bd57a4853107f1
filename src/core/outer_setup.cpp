#include "core/outer_setup.h"

#include <windows.h>

namespace vz {

namespace {
constexpr char kOuterSetupTitle[] = "Setup";

HWND FindOuterSetup() { return FindWindowA(nullptr, kOuterSetupTitle); }
}  // namespace

void HideOuterSetup() {
  if (HWND window = FindOuterSetup()) ShowWindow(window, SW_HIDE);
}

void ShowOuterSetup() {
  if (HWND window = FindOuterSetup()) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
  }
}

void CloseOuterSetup() {
  // Sent, not posted: the outer setup has handled it when this returns.
  if (HWND window = FindOuterSetup()) SendMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace vz
