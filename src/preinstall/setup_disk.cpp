// Making sure the setup media are back in the drive before the copy.
#include <windows.h>

#include "core/setup_context.h"
#include "core/text.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"

namespace vz {

void WaitForSetupDisk(const char* sourceFolder) {
  // No source folder, or one too long for the path of its SETUP.EXE: there is no disk to ask for.
  char path[kPathCapacity] = "";
  if (!sourceFolder || !sourceFolder[0] || !CopyText(path, sourceFolder)) return;
  if (!EnsureTrailingBackslash(path) || !AppendText(path, kSetupProgramName)) return;
  while (!PathExists(path)) AskForSetupDisk(path, MB_OK);
}

}  // namespace vz
