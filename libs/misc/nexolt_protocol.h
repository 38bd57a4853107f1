// How NEXOLT.EXE, the product's on-line protection, makes itself known and is
// spoken to. It runs once per session and while it runs it holds:
//  - the named mutex kMutexName;
//  - a hidden top-level window of the class kWindowClass (a window, so that a
//    restart of Windows asks it to end like every program with windows).
// Requests are WM_COPYDATA messages to that window; dwData names the request,
// the data are a zero-terminated path:
//  - kAllowSetupRead (the option 0x8203 of SetDriverOptions): let the setup
//    read that file unhindered. NEXOLT keeps the path in its list (the last
//    kMaxAllowed paths) and answers 1.
//  - kQueryAllowed: answers 1 when the path is in the list, else 0.
// Any other request is answered with 0. WM_CLOSE and WM_ENDSESSION end it.
#pragma once

#include <windows.h>

namespace vznexolt {
constexpr char kMutexName[] = "VelzorOnLineProtectionLoaded";
constexpr char kWindowClass[] = "VelzorOnLineProtection";
constexpr char kWindowTitle[] = "Velzor On-Line Protection";
constexpr ULONG_PTR kAllowSetupRead = 0x8203;
constexpr ULONG_PTR kQueryAllowed = 0x8204;
constexpr int kMaxAllowed = 1024;
}  // namespace vznexolt
