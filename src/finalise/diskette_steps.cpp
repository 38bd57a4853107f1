// The two diskette steps, with the install folder as current directory while
// each runs, and the readiness test of a diskette drive.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/diskette_steps.h"
#include "finalise/diskettes.h"
#include "resources/resource.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr std::size_t kPromptCapacity = 256;

// "X:" for the drive of a path: makes that drive current, with the directory
// the process last used on it.
void MakeDriveCurrent(const char* path) {
  char drive[3] = {path[0], ':', '\0'};
  if (drive[0] >= 'a' && drive[0] <= 'z') drive[0] = static_cast<char>(drive[0] - 'a' + 'A');
  SetCurrentDirectoryA(drive);
}

void ShowInsertPrompt(const char* format, const char* caption) {
  char text[kPromptCapacity];
  std::snprintf(text, sizeof text, format, DriveLetter(g_selectedDrive));
  MessageBoxA(nullptr, text, caption, MB_OK);
}

bool DriveIsReady(short drive) { return (MakeDriveReady(drive) & 0xFFFF) == 1; }

}  // namespace

void EnterInstallFolder(char* saved) {
  saved[0] = '\0';
  char folder[kPathCapacity] = "";
  CopyText(folder, g_setup.installFolder);
  std::size_t length = std::strlen(folder);
  if (length > 3 && folder[length - 1] == '\\') folder[length - 1] = '\0';  // C:\ keeps its backslash

  DWORD got = GetCurrentDirectoryA(kPathCapacity, saved);
  if (got == 0 || got >= kPathCapacity) {  // cannot be restored afterwards: stay where we are
    saved[0] = '\0';
    return;
  }
  if (folder[0] == '\0') return;
  MakeDriveCurrent(folder);
  SetCurrentDirectoryA(folder);
}

void LeaveInstallFolder(const char* saved) {
  if (saved[0] == '\0') return;
  MakeDriveCurrent(saved);
  SetCurrentDirectoryA(saved);
}

short RescueDisketteStep() {
  char saved[kPathCapacity];
  EnterInstallFolder(saved);
  ShowInsertPrompt("Setup is now ready to create a Rescue diskette.\nInsert the diskette in drive %c and press OK to "
                   "continue.",
                   "Insert Rescue Diskette");
  short result = -1;
  if (DriveIsReady(g_selectedDrive)) {
    result = RunRescueLibrary(g_selectedDrive, 0, g_setup.instance);
    if (result == 1)
      DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_RESCUE_DONE), nullptr, RescueDoneDlgProc, 0);
  }
  LeaveInstallFolder(saved);
  return result;
}

short EmergencyDisketteStep() {
  char saved[kPathCapacity];
  EnterInstallFolder(saved);
  ShowInsertPrompt("Setup is now ready to create an Emergency diskette.\nInsert the diskette in drive %c and press "
                   "OK to continue.",
                   "Insert Emergency Diskette");
  short result = 0;
  if (DriveIsReady(g_selectedDrive)) result = RunEmergencyLibrary(g_selectedDrive, GetActiveWindow(), g_setup.instance);
  LeaveInstallFolder(saved);
  return result;
}

int IsDriveReadable(short drive) {
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  char root[] = {DriveLetter(drive), ':', '\\', '.', '\0'};
  bool readable = GetFileAttributesA(root) != INVALID_FILE_ATTRIBUTES;
  SetErrorMode(previous);
  return readable ? 1 : 0;
}

int WaitForDiskette(short drive) {
  for (;;) {
    if (IsDriveReadable(drive)) return 1;
    char text[kPromptCapacity];
    std::snprintf(text, sizeof text,
                  "Cannot read drive %c.\n\nPlease verify the drive door is closed and that\nthe disk is formatted and "
                  "free of errors.",
                  DriveLetter(drive));
    int answer = MessageBoxA(GetActiveWindow(), text, "Drive not ready", MB_RETRYCANCEL | MB_ICONWARNING);
    if (answer == IDCANCEL) return kWaitCancelled;
    if (answer != IDRETRY) return 1;
  }
}

}  // namespace vz
