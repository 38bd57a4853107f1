// Word macro protection, document route: Word opens VZFW.DOC, whose macros
// install the protection and then show the window "VZFW Installation Over".
// A timer watches for that window; once it has come and gone, Word's windows
// are closed and the step goes on.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/word_protection.h"
#include "finalise/word_state.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr UINT_PTR kWordTimerId = 1;
constexpr UINT kWordTimerPeriodMs = 100;
constexpr char kCompletionTitle[] = "VZFW Installation Over";
constexpr char kTipTitle[] = "Tip of the Day";
constexpr char kDocumentName[] = "VZFW.DOC";
constexpr char kWordOptions[] = " /m /w";
constexpr std::size_t kTimeOutMessageCapacity = 512;

// The timer as SetTimer gave it, so that the wait can stop it when it gives up.
HWND g_timerWindow = nullptr;
UINT_PTR g_timerId = 0;

void ClearReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool WaitLimitReached() { return GetTickCount() - g_word.lastSignalTick > g_word.waitLimitMs; }

void ReportTimeOut(const char* document) {
  char text[kTimeOutMessageCapacity];
  std::snprintf(text, sizeof text,
                "Word did not finish installing the macro virus protection in time.\n\n"
                "The protection is not installed. Load MS-WORD and open %s for macro virus protection.",
                document);
  MessageBoxA(nullptr, text, "Word Macro Virus Protection", MB_OK | MB_ICONWARNING);
}

}  // namespace

void CALLBACK WordWatchTimer(HWND window, UINT, UINT_PTR timerId, DWORD) {
  if (FindWindowA(nullptr, kCompletionTitle)) {
    g_word.CompletionWindowSeen = 1;
    g_word.lastSignalTick = GetTickCount();
    return;
  }
  if (!g_word.CompletionWindowSeen) return;  // the document has not signalled yet
  if (HWND tip = FindWindowA(nullptr, kTipTitle)) {
    SendMessageA(tip, WM_CLOSE, 0, 0);
    return;  // the next tick looks again
  }
  KillTimer(window, timerId);
  EnumWindows(CloseProtectionDocumentWindows, 0);
  g_word.WordStepFinished = 1;
}

BOOL CALLBACK CloseProtectionDocumentWindows(HWND window, LPARAM) {
  char title[kWindowTitleCapacity] = "";
  GetWindowTextA(window, title, sizeof title);
  LowerText(title);
  if (std::strstr(title, "word") && std::strstr(title, "vzfw")) SendMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

int RunProtectionDocument() {
  char wordProgram[kPathCapacity] = "";
  LocateWordProgram(wordProgram);  // the Word choice was offered only when Word was found

  char document[kPathCapacity] = "";
  CopyText(document, g_setup.installFolder);
  bool fits = AppendText(document, kDocumentName);
  if (!fits || !IsExistingFile(document)) {
    MessageBoxA(nullptr, "Could not locate VZFW.DOC.\n\nUnable to install Word macro virus solution.", "Setup Error",
                MB_OK | MB_ICONINFORMATION);
    g_word.WordStepFinished = 1;
    return 0;
  }
  ClearReadOnly(document);

  char parameters[kPathCapacity + sizeof kWordOptions] = "";
  CopyText(parameters, document);
  AppendText(parameters, kWordOptions);

  g_timerWindow = GetActiveWindow();
  UINT_PTR timer = SetTimer(g_timerWindow, kWordTimerId, kWordTimerPeriodMs, WordWatchTimer);
  g_timerId = g_timerWindow ? kWordTimerId : timer;  // without a window the system chooses the id
  g_word.lastSignalTick = GetTickCount();
  if ((ExecFile(wordProgram, parameters, SW_SHOW, 0, 0) & 0xFFFF) == 0) {
    // Nothing will come to watch: the timer stops with the step.
    KillTimer(g_timerWindow, g_timerId);
    MessageBoxA(nullptr,
                "Unable to install Word macro virus solution. Load MS-WORD and open VZFW.DOC file for macro "
                "virus protection.",
                "Error", MB_OK | MB_ICONINFORMATION);
    g_word.WordStepFinished = 1;
    return 0;
  }

  // Take this thread's messages (the timer's among them) until the step has
  // finished; sleep on the queue while none is waiting.
  while (!g_word.WordStepFinished) {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (g_word.WordStepFinished) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (g_word.WordStepFinished) break;
    if (WaitLimitReached()) {
      KillTimer(g_timerWindow, g_timerId);
      g_word.WordStepFinished = 1;
      ReportTimeOut(document);
      return 0;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kWordTimerPeriodMs, QS_ALLINPUT);
  }
  g_word.WordProtectionInstalled = 1;
  return 1;
}

}  // namespace vz
