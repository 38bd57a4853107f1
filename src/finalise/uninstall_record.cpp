#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/finalisation_steps.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr char kUninstallString[] = "UninstallString";
constexpr char kNewUninstaller[] = "vzuinst.exe";
}  // namespace

// Keeps the outer setup's own uninstall command (lower-cased) in the product
// key and the install map file, and points the uninstall entry at the
// product's own uninstaller.
int RewriteUninstallRecord() {
  char previous[kPathCapacity];
  if (!GetRegValue(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallString, previous, sizeof previous)) return 0;
  LowerText(previous);

  // A command cut to its buffer would name another program: the entry then keeps the old one.
  char command[kPathCapacity];
  bool whole = CopyText(command, g_setup.installFolder) && AppendText(command, kNewUninstaller);

  AddRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", previous);
  int result = whole ? SetRegValue(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallString, command,
                                   static_cast<int>(sizeof command))
                     : 0;
  WritePrivateProfileStringA(kInstallMapSection, "Uninstall", previous, kInstallMapFile);
  return result;
}

}  // namespace vz
