#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/finalisation_steps.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr int kHidden = 0;
constexpr int kShown = 5;

// A file of the folder, when the folder is known and the whole path fits: a
// bare name would be looked for elsewhere, and a cut path names another file.
bool FileOfFolder(char (&path)[kPathCapacity], const char* folder, const char* name) {
  return folder[0] != '\0' && CopyText(path, folder) && AppendText(path, name);
}
}  // namespace

// The start-up checker rebuilds its check file; the step waits for it.
void RebuildStartupChecker() {
  char program[kPathCapacity];
  if (!FileOfFolder(program, g_setup.installFolder, "VZSTRUP.EXE")) return;
  ExecFile(program, "/INIT /REBUILD", kHidden, 1, 1);
}

void DeleteCheckFile(const char* folder) {
  char path[kPathCapacity];
  if (!FileOfFolder(path, folder, "VZCHK.INF")) return;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  DeleteFileA(path);
}

// The switch rides on the program path; the scanner's own parameters are empty.
void ScanAllDrives() {
  char program[kPathCapacity];
  if (!FileOfFolder(program, g_setup.installFolder, "VZ32.EXE /AllDrives")) return;
  ExecFile(program, "", kShown, 1, 0);
}

void OfferDisinfection() {
  if (!IsRegistryValuePresent(HKEY_CURRENT_USER, kUserProductKey, "VirusFoundDuringInstall")) return;
  int answer = MessageBoxA(
      nullptr,
      "One or more files on your computer are infected.  It is highly recommended that you scan the system to "
      "eliminate the virus(es).\n\nNOTE : After Velzor eliminates the virus(es), you should create a Rescue "
      "Diskette.  This will help you recover at times of crisis. Setup will prompt you to create a rescue "
      "diskette.\n\nWould you like to disinfect your system now ?",
      "Disinfect Your System", MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES) ScanAllDrives();
}

}  // namespace vz
