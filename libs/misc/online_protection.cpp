// The on-line protection NEXOLT.EXE: whether it runs, requests to it, and its
// start at the next start of Windows.
#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "core/records.h"
#include "misc_dll.h"
#include "nexolt_protocol.h"
#include "services/registry.h"

namespace {

HWND ProtectionWindow() { return FindWindowA(vznexolt::kWindowClass, nullptr); }

}  // namespace

int IsAutoProtectLoaded(void) {
  if (ProtectionWindow()) return 1;
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, vznexolt::kMutexName);
  if (!mutex) return 0;
  CloseHandle(mutex);
  return 1;
}

int SetDriverOptions(int options, const char* path, int length) {
  HWND window = ProtectionWindow();
  if (!window) return 0;
  char copy[vzmisc::kDriverPathCapacity] = "";
  if (path && length > 0) {
    size_t len = strnlen(path, static_cast<size_t>(length));
    if (len >= sizeof copy) len = sizeof copy - 1;  // paths are at most 259 characters
    std::memcpy(copy, path, len);
    copy[len] = '\0';
  }
  COPYDATASTRUCT data{};
  data.dwData = static_cast<ULONG_PTR>(static_cast<unsigned>(options));
  data.cbData = static_cast<DWORD>(std::strlen(copy) + 1);
  data.lpData = copy;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           vzmisc::kDriverAnswerMs, &answer))
    return 0;
  return answer == 1 ? 1 : 0;
}

int RemoveEntriesFromStartup(void) {
  int ok = 1;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const char* name : {vz::kRunValueOnlineProtection, vz::kRunValueScheduler, vz::kRunValueToolbar})
      if (!DeleteRegistryValue(root, vz::kRunKey, name)) ok = 0;
  return ok;
}
