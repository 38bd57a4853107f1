// The user's component choices: process-wide flags, 0 or 1, all 0 at the
// start of the process, set by the component dialogs and read afterwards by
// the steps that install or record each component. Never reset within a run.
#pragma once

namespace vz {

struct ComponentChoices {
  int WordProtection = 0;
  int ShellExtensions = 0;
  int OnlineProtection = 0;
  int Scheduler = 0;
  int Toolbar = 0;
  int RescueDiskette = 0;
  int EmergencyDiskette = 0;
};

extern ComponentChoices g_choices;

}  // namespace vz
