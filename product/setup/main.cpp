// SETUP.EXE, Velzor's outer setup. It reads SETUP.INI from its media, shows
// its main window titled "Setup", runs the helper's /initsetup, copies the
// product's files into the install folder, makes its Start Menu group,
// registers the product's uninstall entry and runs the helper's /endsetup. The helper hides and shows the
// window while a phase runs; a phase that closes it ends the installation.
//
// Exit code: 0 installed; 1 ended by a phase (or the user) closing the window;
// 2 not installed because the media or the machine did not allow it.
// Run as UNINST.EXE -f"<install folder>\SETUP.LOG" it removes what it copied.
#include <windows.h>

#include <cstdio>

#include "helper_phases.h"
#include "install_steps.h"
#include "product_common.h"
#include "program_group.h"
#include "setup_media.h"

namespace {

constexpr char kWindowClass[] = "VelzorSetup";
constexpr char kWindowTitle[] = "Setup";
constexpr char kCaption[] = "Velzor Setup";
constexpr int kStatusId = 100;
constexpr int kExitInstalled = 0;
constexpr int kExitEnded = 1;
constexpr int kExitFailed = 2;

HWND g_window = nullptr;
bool g_ended = false;  // the window was closed, or Windows is ending the session

void DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void ShowStatus(const char* text) {
  if (g_window) SetDlgItemTextA(g_window, kStatusId, text);
  DispatchPending();
}

bool CopyingFile(const char* name) {
  char text[128];
  std::snprintf(text, sizeof text, "Copying %s", name);
  ShowStatus(text);
  return !g_ended;
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance;
      HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      HWND title = CreateWindowA("STATIC", "Velzor Setup", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 30, 420, 24, window,
                                 nullptr, instance, nullptr);
      HWND status = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 70, 420, 24, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), instance, nullptr);
      SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SendMessageA(status, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      return 0;
    }
    case WM_CLOSE:  // a phase abandoned the installation, or the user closed the window
      g_ended = true;
      DestroyWindow(window);
      return 0;
    case WM_ENDSESSION:
      if (wp) g_ended = true;
      return 0;
    case WM_DESTROY:
      g_window = nullptr;
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

int Fail(const char* text) {
  MessageBoxA(g_window, text, kCaption, MB_OK | MB_ICONSTOP);
  if (g_window) DestroyWindow(g_window);
  return kExitFailed;
}

// Runs one phase; false when the installation ends with it.
bool RunPhase(const vzsetup::SetupMedia& media, const char* command, int* exitCode) {
  if (vzsetup::RunHelperPhase(media, command) == vzsetup::PhaseEnd::NotStarted) {
    char text[vzp::kPathCapacity + 100];
    std::snprintf(text, sizeof text, "Setup could not start %s from\n%s", vzsetup::kHelperName, media.folder);
    *exitCode = Fail(text);
    return false;
  }
  DispatchPending();
  if (!g_ended) return true;
  *exitCode = kExitEnded;
  return false;
}

int Install(const vzsetup::SetupMedia& media) {
  char text[vzp::kPathCapacity + 100];
  std::snprintf(text, sizeof text, "Preparing to install %s %s", media.productName, media.version);
  ShowStatus(text);
  char command[vzsetup::kHelperCommandCapacity];
  if (!vzsetup::InitSetupCommand(media, command, sizeof command))
    return Fail("The values of SETUP.INI do not fit the setup helper's command line.");
  int exitCode = kExitInstalled;
  if (!RunPhase(media, command, &exitCode)) return exitCode;

  if (!vzsetup::CopyProductFiles(media, CopyingFile)) {
    if (g_ended) return kExitEnded;
    return Fail("Velzor was not installed: its files could not all be copied.");
  }
  ShowStatus("Creating the Start Menu group");
  vzsetup::BuildProgramGroup(media);  // the product works without its icons
  vzsetup::RecordRegisteredUser(media);
  if (!vzsetup::RegisterUninstallEntry(media))
    return Fail("Velzor was not installed: its uninstall entry could not be registered.");

  ShowStatus("Completing the installation");
  if (!vzsetup::EndSetupCommand(media, command, sizeof command))
    return Fail("The install folder does not fit the setup helper's command line.");
  if (!RunPhase(media, command, &exitCode)) return exitCode;
  ShowStatus("Velzor has been installed.");
  DestroyWindow(g_window);
  return kExitInstalled;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  if ((commandLine[0] == '-' || commandLine[0] == '/') && (commandLine[1] == 'f' || commandLine[1] == 'F'))
    return vzsetup::UninstallFromLog(commandLine);

  if (!vzp::RegisterWindowClass(instance, kWindowClass, WindowProc)) return kExitFailed;
  g_window = CreateWindowA(kWindowClass, kWindowTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           CW_USEDEFAULT, CW_USEDEFAULT, 450, 160, nullptr, nullptr, instance, nullptr);
  if (!g_window) return kExitFailed;
  ShowWindow(g_window, show);
  UpdateWindow(g_window);

  static vzsetup::SetupMedia media;
  char why[vzp::kPathCapacity + 200];
  if (!vzsetup::ReadSetupMedia(media, why, sizeof why)) return Fail(why);
  return Install(media);
}
