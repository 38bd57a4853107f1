// Rescue and Emergency diskettes: the loop that asks for a drive and writes
// each chosen diskette until it is written, or the user gives up.
#include <windows.h>

#include "core/setup_context.h"
#include "finalise/component_choices.h"
#include "finalise/diskettes.h"
#include "finalise/diskette_steps.h"
#include "resources/resource.h"

namespace vz {

short g_selectedDrive = 0;

void CreateDiskettes() {
  g_selectedDrive = 0;
  short rescueOutcome = 0;     // 0: still to be written
  short emergencyOutcome = 0;  // 0: still to be written
  for (;;) {
    g_selectedDrive = static_cast<short>(DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_DRIVE_SELECT),
                                                         nullptr, DriveSelectDlgProc, 0));
    if (g_selectedDrive == kNoDrive) return;
    if (g_choices.RescueDiskette && rescueOutcome == 0) {
      rescueOutcome = RescueDisketteStep();
      if (rescueOutcome == -1) continue;
    }
    if (g_choices.EmergencyDiskette && emergencyOutcome == 0) {
      emergencyOutcome = EmergencyDisketteStep();
      if (emergencyOutcome == 0) continue;
    }
    return;
  }
}

}  // namespace vz
