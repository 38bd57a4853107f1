// misc_probe.exe: run by the misc.dll tests as a process of its own.
//   misc_probe os                     exit code = GetOS()
//   misc_probe osinfo PATH            exit code = UpdateOSInfo(PATH, 0x12345678)
//   misc_probe sleep MS MARKER [...]  sleeps, then writes MARKER: its command
//                                     line, show command and current folder
//   misc_probe restart MARKER         the restart that removes the on-line
//                                     protection: loads NEXOLT.EXE with a Run
//                                     value, removes the start-up entries, asks
//                                     Windows to run "misc_probe sleep 0 MARKER"
//                                     once at the next start and restarts.
//                                     Exit code 0 when the restart ran the
//                                     command, ended the protection and did not
//                                     load it again; else the failed step
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "services/misc.h"

namespace {

bool WaitFor(bool (*condition)(), int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (condition()) return true;
    Sleep(100);
  }
  return condition();
}

const char* g_marker = "";
bool MarkerWritten() { return GetFileAttributesA(g_marker) != INVALID_FILE_ATTRIBUTES; }
bool ProtectionLoaded() { return IsAutoProtectLoaded() != 0; }
bool ProtectionGone() { return IsAutoProtectLoaded() == 0; }

bool SetMachineText(const char* key, const char* name, const char* text) {
  HKEY k;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

int Restart(const char* marker) {
  g_marker = marker;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  char nexolt[MAX_PATH + 16];
  std::snprintf(nexolt, sizeof nexolt, "%s", self);
  std::strcpy(std::strrchr(nexolt, '\\') + 1, "NEXOLT.EXE");
  // The protection runs, and would load again at the next start.
  if (!ExecFile(nexolt, "", 0, 0, 0) || !WaitFor(ProtectionLoaded, 10000)) return 2;
  if (!SetMachineText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Velzor On-Line Protection", nexolt)) return 3;
  RemoveEntriesFromStartup();
  char command[2 * MAX_PATH + 32];
  std::snprintf(command, sizeof command, "\"%s\" sleep 0 %s", self, marker);
  if (!SetMachineText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "VzProbeRestart", command)) return 3;
  if (RestartWindows() != 1) return 4;
  // This program has no window: the restart leaves it running.
  if (!WaitFor(MarkerWritten, 60000)) return 5;
  if (!WaitFor(ProtectionGone, 20000)) return 6;
  Sleep(4000);  // the Run values start right after the RunOnce commands
  return ProtectionLoaded() ? 7 : 0;
}

}  // namespace

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
  if (__argc >= 3 && !std::strcmp(__argv[1], "restart")) return Restart(__argv[2]);
  return 99;
}
