// Running the previous version's own uninstaller and checking its work.
#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr char kUninstallerName[] = "VZUINST.EXE";
// Files that are gone once the previous version has been uninstalled.
constexpr char kPreviousProgramName[] = "VZ95.EXE";
constexpr char kPreviousIndexName[] = "VZ.INX";
constexpr int kShown = 5;

// The folder's file, when its whole path fits.
bool FileInFolder(char (&path)[kPathCapacity], const char* folder, const char* name) {
  return CopyText(path, folder) && AppendText(path, name);
}

}  // namespace

bool RunPreviousUninstaller() {
  char folder[kPathCapacity] = "";
  ReadPreviousInstallFolder(folder);
  // No previous install folder: nothing is run, and the previous version is not known to be gone.
  if (!IsPreviousInstallFolder(folder)) return false;

  char path[kPathCapacity];
  if (FileInFolder(path, folder, kUninstallerName)) ExecFile(path, "", kShown, 1, 0);  // returns when it has ended

  if (!FileInFolder(path, folder, kPreviousProgramName) || PathExists(path)) return false;
  if (!FileInFolder(path, folder, kPreviousIndexName)) return false;
  return !PathExists(path);
}

}  // namespace vz
