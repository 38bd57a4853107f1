// Removing or keeping a previous version, and the continuation after a restart.
#pragma once

namespace vz {

// True when it has started a restart of Windows: the caller must then stop, so
// that the records the run after the restart relies on stay as they are.
bool CloseProductWindows(const char* sourceFolder);
void ScheduleRestartContinuation(const char* sourceFolder);
bool RunPreviousUninstaller();
void RedatePreviousFiles(const char* folder);
void WaitForSetupDisk(const char* sourceFolder);

}  // namespace vz
