// misc_probe.exe: run by the misc.dll tests as a process of its own.
//   misc_probe os                     exit code = GetOS()
//   misc_probe osinfo PATH            exit code = UpdateOSInfo(PATH, 0x12345678)
//   misc_probe sleep MS MARKER [...]  sleeps, then writes MARKER: its command
//                                     line, show command and current folder
//   misc_probe restart MARKER         asks Windows to run "misc_probe sleep 0
//                                     MARKER" once at the next start, restarts
//                                     Windows and waits for MARKER: exit code 0
//                                     when RestartWindows returned 1 and the
//                                     restart ran the command
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
  if (__argc >= 3 && !std::strcmp(__argv[1], "restart")) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    char command[2 * MAX_PATH + 32];
    std::snprintf(command, sizeof command, "\"%s\" sleep 0 %s", self, __argv[2]);
    HKEY runOnce;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &runOnce, nullptr) != ERROR_SUCCESS)
      return 3;
    RegSetValueExA(runOnce, "VzProbeRestart", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   static_cast<DWORD>(std::strlen(command) + 1));
    RegCloseKey(runOnce);
    if (RestartWindows() != 1) return 4;
    for (int waited = 0; waited < 60000; waited += 100) {  // this program has no window: the restart leaves it
      if (GetFileAttributesA(__argv[2]) != INVALID_FILE_ATTRIBUTES) return 0;
      Sleep(100);
    }
    return 5;
  }
  return 99;
}
