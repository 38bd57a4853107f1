// VZ32.EXE, Velzor's scanner and the product's main program. Its window is
// titled "VZTileWindow" in every mode and closes on WM_CLOSE (a scan running
// then stops).
//   VZ32.EXE                  the window; "Scan All Drives" starts a scan
//   VZ32.EXE /AllDrives       scans every local hard disk, shown, and ends when done
//   VZ32.EXE /Vz32Scan<path>  scans one file, folder or drive; the report stays shown
// Every scan also writes its report to VZ32.LOG beside the program.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "product_common.h"
#include "scanner.h"

namespace {

constexpr char kWindowClass[] = "VZ32Main";
constexpr char kWindowTitle[] = "VZTileWindow";
constexpr char kAllDrivesSwitch[] = "/AllDrives";
constexpr char kScanItemSwitch[] = "/Vz32Scan";
constexpr char kLogName[] = "VZ32.LOG";

constexpr int kReportId = 100;
constexpr int kScanButtonId = 101;
constexpr int kStatusId = 102;

HWND g_window = nullptr;
HWND g_report = nullptr;
HWND g_status = nullptr;
HWND g_scanButton = nullptr;
bool g_scanning = false;
bool g_closing = false;
HANDLE g_log = INVALID_HANDLE_VALUE;

bool StartsWith(const char* text, const char* prefix) { return _strnicmp(text, prefix, std::strlen(prefix)) == 0; }

// Lets the window repaint and react (WM_CLOSE stops the scan) between files.
void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      g_closing = true;
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool ShowLine(const char* line, void*) {
  if (g_report) {
    LRESULT at = SendMessageA(g_report, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    SendMessageA(g_report, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
  }
  if (g_log != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(g_log, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    WriteFile(g_log, "\r\n", 2, &written, nullptr);
  }
  PumpMessages();
  return !g_closing;
}

void SetStatus(const char* text) {
  if (g_status) SetWindowTextA(g_status, text);
}

// Runs one scan: all drives when item is null, else the item.
void RunScan(const char* item) {
  if (g_scanning) return;
  g_scanning = true;
  EnableWindow(g_scanButton, FALSE);
  SendMessageA(g_report, LB_RESETCONTENT, 0, 0);
  char logPath[vzp::kPathCapacity];
  if (vzp::FileBeside(logPath, kLogName))
    g_log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

  char line[400];
  std::snprintf(line, sizeof line, "Velzor scan of %s", item ? item : "all local hard disks");
  ShowLine(line, nullptr);
  SetStatus("Scanning...");
  vz32::ScanTotals totals;
  {
    vz32::Scanner scanner(ShowLine, nullptr);
    if (item) scanner.ScanItem(item);
    else scanner.ScanAllDrives();
    totals = scanner.Totals();
  }
  std::snprintf(line, sizeof line, "%s: %u files %s, %u infected.", totals.stopped ? "Scan stopped" : "Scan complete",
                totals.files, totals.checked ? "scanned" : "listed", totals.infected);
  g_closing = false;  // the summary line is always written
  ShowLine(line, nullptr);
  g_closing = totals.stopped;
  SetStatus(line);
  if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
  g_scanning = false;
  if (IsWindow(g_scanButton)) EnableWindow(g_scanButton, TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance;
      g_scanButton = CreateWindowA("BUTTON", "Scan All Drives", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 8, 130, 24,
                                   window, reinterpret_cast<HMENU>(kScanButtonId), instance, nullptr);
      g_status = CreateWindowA("STATIC", "Ready.", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 150, 12, 380, 20, window,
                               reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
      g_report = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
                               8, 40, 520, 280, window, reinterpret_cast<HMENU>(kReportId), instance, nullptr);
      SendMessageA(g_report, LB_SETHORIZONTALEXTENT, 2000, 0);
      return 0;
    }
    case WM_SIZE:
      if (g_report) MoveWindow(g_report, 8, 40, LOWORD(lp) - 16, HIWORD(lp) - 48, TRUE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kScanButtonId) RunScan(nullptr);
      return 0;
    case WM_CLOSE:
      g_closing = true;  // a running scan stops at the next file
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      g_report = g_status = g_scanButton = nullptr;
      g_window = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  if (!vzp::RegisterWindowClass(instance, kWindowClass, WindowProc)) return 1;
  g_window = CreateWindowA(kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 560, 380,
                           nullptr, nullptr, instance, nullptr);
  if (!g_window) return 1;
  ShowWindow(g_window, show);
  UpdateWindow(g_window);

  const char* args = commandLine ? commandLine : "";
  while (*args == ' ') ++args;
  if (StartsWith(args, kAllDrivesSwitch)) {
    RunScan(nullptr);
    if (g_window) DestroyWindow(g_window);  // done: the program ends
  } else if (StartsWith(args, kScanItemSwitch)) {
    char item[1024];  // the scanner refuses an item longer than a path buffer
    vz::CopyText(item, args + std::strlen(kScanItemSwitch));
    // The shell may quote the item or leave blanks around it.
    char* start = item;
    while (*start == ' ' || *start == '"') ++start;
    std::size_t n = std::strlen(start);
    while (n > 0 && (start[n - 1] == ' ' || start[n - 1] == '"')) start[--n] = '\0';
    RunScan(start);
  }
  return vzp::RunMessageLoop();
}
