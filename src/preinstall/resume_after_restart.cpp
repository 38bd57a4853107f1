// The /runonce phase: after the restart that removing the previous version
// needed, Windows runs the helper once, and it starts the outer setup again
// from the setup media recorded before the restart.
#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "preinstall/preinstall.h"
#include "preinstall/removal_support.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr char kHandedVersionValue[] = "TempCurrentVersion";
constexpr int kHandedVersionCapacity = 8;  // the version handed over holds at most 7 characters
}  // namespace

void ResumeAfterRestart() {
  GetRegValue(HKEY_CURRENT_USER, kUserProductKey, kHandedVersionValue, g_setup.productVersion, kHandedVersionCapacity);
  char versionKey[kVersionKeyCapacity];
  BuildVersionKey(versionKey, sizeof versionKey);

  // Without a recorded source folder there is nothing defined to start.
  char path[kPathCapacity] = "";
  if (!GetRegValue(HKEY_LOCAL_MACHINE, versionKey, kSetupDriveValue, path, sizeof path) || path[0] == '\0') return;
  EnsureTrailingBackslash(path);
  if (!AppendText(path, kSetupProgramName)) return;  // a cut path names another file
  UpperText(path);

  while (!PathExists(path))
    if (AskForSetupDisk(path, MB_OKCANCEL) == IDCANCEL) return;
  WinExec(path, SW_SHOW);
}

}  // namespace vz
