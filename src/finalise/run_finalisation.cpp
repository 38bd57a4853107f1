#include <windows.h>

#include "core/command_line.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "finalise/component_selection.h"
#include "finalise/config_files.h"
#include "finalise/driver_paths.h"
#include "finalise/finalisation_steps.h"
#include "finalise/finalise.h"
#include "finalise/startup_files.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr int kVersionReadSize = 8;  // "TempCurrentVersion" keeps at most 7 characters
}

// The /endsetup phase: its steps in one fixed order; no step's failure stops
// the sequence.
void RunFinalisation(const char* commandLine) {
  TakeEndSetupTokens(commandLine);
  SetPerOsIniPath();

  char windowsFolder[kPathCapacity] = "";
  GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
  RemoveWininitLines(g_setup.installFolder, windowsFolder);

  GetRegValue(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", g_setup.productVersion, kVersionReadSize);
  RewriteUninstallRecord();
  PatchDriverPaths();
  RebuildStartupChecker();
  SetAutoexecStartupLine();
  DeleteCheckFile(g_setup.installFolder);
  RecordCurrentVersion();
  RecordLastInstalledVersion();
  WriteSignatureDates();
  RecordConfigOS();
  WriteInstallMapEntries();
  OfferDisinfection();
  RunComponentSelection();
  WriteProductInfo();
  HideInstallMapFile();
}

}  // namespace vz
