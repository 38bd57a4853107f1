// What the product's programs share: where they are, the files beside them,
// and a plain message loop.
#pragma once

#include <windows.h>

#include <cstddef>

#include "core/text.h"

namespace vzp {

constexpr std::size_t kPathCapacity = 260;  // every path buffer, terminator included

// The folder of the running program, ending with a backslash. False when it
// does not fit (the buffer is then empty).
bool OwnFolder(char* buffer, std::size_t capacity);

// The running program's folder followed by a file name. False when the whole
// path does not fit (the buffer is then empty, never a cut path).
bool FileBeside(char* buffer, std::size_t capacity, const char* name);

// True when a file or folder of that path exists.
bool PathExists(const char* path);

// True when the name ends with "." and three characters that, in upper case,
// are one of the extensions of the list (written ".EXE.COM.").
bool HasExtensionIn(const char* name, const char* list);

// Starts a program of the product's folder with its arguments (may be empty)
// and the show command; the new process runs on its own. True when started.
bool StartBeside(const char* name, const char* arguments, int show);

// Registers a window class of the program: the arrow cursor, the standard
// application icon and the colour of dialogs. False when it could not.
bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND dialogWindow = nullptr);

template <std::size_t N> bool OwnFolder(char (&buffer)[N]) { return OwnFolder(buffer, N); }
template <std::size_t N> bool FileBeside(char (&buffer)[N], const char* name) { return FileBeside(buffer, N, name); }

}  // namespace vzp
