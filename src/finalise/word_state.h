// Word macro protection: the process-wide flags of the step and the
// operations its two routes share. The flags are 0 at process start and are
// never reset; the step runs at most once per process.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vz {

// Word is given this long without the completion window on screen: for the
// document to run and signal its end, and, once the window has gone, for
// Word's windows to close. While the window is up the user takes their time.
constexpr DWORD kWordWaitLimitMs = 10 * 60 * 1000;

struct WordState {
  int WordProtectionInstalled = 0;  // a route ran to its end: back up and enter DOTBK.EXE
  int CompletionWindowSeen = 0;     // the document has shown "VZFW Installation Over"
  int WordStepFinished = 0;         // ends the document route's wait
  DWORD waitLimitMs = kWordWaitLimitMs;
  DWORD lastSignalTick = 0;         // when the completion window was last seen (or the start)
};

extern WordState g_word;

constexpr std::size_t kWinIniEntryCapacity = 500;  // WIN.INI [embedding] WordDocument
constexpr std::size_t kWindowTitleCapacity = 80;   // titles read when closing Word's windows

// Document route: Word is started with VZFW.DOC and watched until the
// document has signalled its end.
int RunProtectionDocument();
void CALLBACK WordWatchTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time);
BOOL CALLBACK CloseProtectionDocumentWindows(HWND window, LPARAM unused);

// Template route (Word 97): the global template is replaced by VZFW97.MAL.
int ReplaceGlobalTemplate();

// After either route: the backup copy VZNORM.QOT with its record in VZFW.INI,
// and the Run value that starts DOTBK.EXE with Windows.
void BackUpGlobalTemplate();
void AddDotbkRunValue();

// The Word program's path from a WIN.INI [embedding] WordDocument entry: the
// text from one character before the first ":" up to the next ",". False
// (and the buffer empty) when the entry holds no such part or it does not fit.
bool WordPathFromEmbeddingEntry(const char* entry, char* buffer, std::size_t capacity);

// Ends the text after its last backslash, keeping it. False when there is none.
bool CutAfterLastBackslash(char* path);

// True when the path names an existing file (not a folder).
bool IsExistingFile(const char* path);

}  // namespace vz
