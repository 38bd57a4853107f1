// misc_probe.exe: run by the misc.dll tests as a process of its own.
//   misc_probe os                     exit code = GetOS()
//   misc_probe osinfo PATH            exit code = UpdateOSInfo(PATH, 0x12345678)
//   misc_probe sleep MS MARKER [...]  sleeps, then writes MARKER: its command
//                                     line, show command and current folder
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "services/misc.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc >= 2 && !std::strcmp(__argv[1], "os")) return GetOS();
  if (__argc >= 3 && !std::strcmp(__argv[1], "osinfo")) return UpdateOSInfo(__argv[2], 0x12345678);
  if (__argc >= 4 && !std::strcmp(__argv[1], "sleep")) {
    Sleep(static_cast<DWORD>(std::atoi(__argv[2])));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    char text[4096];
    int n = std::snprintf(text, sizeof text, "%s\nshow=%u\nfolder=%s\n", GetCommandLineA(),
                          (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 999u, folder);
    HANDLE f = CreateFileA(__argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(f, text, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(f);
    return 7;
  }
  return 99;
}
