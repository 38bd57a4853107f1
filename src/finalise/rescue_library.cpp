// Calls into the rescue library VZRESCUE.DLL of the install folder, loaded
// anew for each call and kept loaded for the rest of the process.
#include <windows.h>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/diskette_steps.h"
#include "services/vzrescue.h"

namespace vz {

namespace {

// The export, or nullptr after telling the user why it cannot be had.
FARPROC LoadRescueExport(const char* exportName) {
  char path[kPathCapacity] = "";
  CopyText(path, g_setup.installFolder);
  HMODULE library = AppendText(path, kRescueLibraryName) ? LoadLibraryA(path) : nullptr;
  if (!library) {
    MessageBoxA(GetActiveWindow(), "Could not load VZRESCUE.DLL.\nCall for technical support.", "Error", MB_OK);
    return nullptr;
  }
  FARPROC entry = GetProcAddress(library, exportName);
  if (!entry) MessageBoxA(GetActiveWindow(), "Invalid or corrupt VZRESCUE.DLL.\nCan not proceed...", "Error", MB_OK);
  return entry;
}

short Low16(int value) { return static_cast<short>(value & 0xFFFF); }

}  // namespace

short RunRescueLibrary(short drive, int reserved, HINSTANCE instance) {
  if (WaitForDiskette(drive) == kWaitCancelled) return 0;
  // What an earlier rescue diskette held goes first, whatever happens next.
  const char* const oldFiles[] = {":\\part.inf", ":\\boot.inf", ":\\cmos.inf"};
  for (const char* name : oldFiles) {
    char path[16] = {DriveLetter(drive), '\0'};
    AppendText(path, name);
    DeleteFileA(path);
  }
  auto rescueCreate = reinterpret_cast<RescueCreateProc>(LoadRescueExport(kRescueCreateExport));
  if (!rescueCreate) return 0;
  return Low16(rescueCreate(DriveLetter(drive), reserved, instance));
}

short RunEmergencyLibrary(short drive, HWND parent, HINSTANCE instance) {
  auto createEmergencyDisk = reinterpret_cast<CreateEmergencyDiskProc>(LoadRescueExport(kCreateEmergencyDiskExport));
  if (!createEmergencyDisk) return 0;
  return Low16(createEmergencyDisk(DriveLetter(drive), parent, instance));
}

}  // namespace vz
