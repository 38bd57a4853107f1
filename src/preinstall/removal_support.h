// What the steps of removing a previous version share: the caption of their
// messages, the disk prompt, and the tests of the paths they work on.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vz {

constexpr char kVelzorSetupCaption[] = "Velzor Setup";
constexpr char kSetupProgramName[] = "SETUP.EXE";

// The continuation records: the setup media to start again after a restart
// (in the version key), and the command Windows runs once at the next start.
constexpr char kSetupDriveValue[] = "SetupDrv";
constexpr char kRunOnceValue[] = "Velzor Installation";

// True when the folder is one a previous version can have been installed in:
// an absolute path (drive letter, or a network path) ending with a backslash.
// An empty or relative text is no folder: nothing is run or changed there.
bool IsPreviousInstallFolder(const char* folder);

// Existence test of a file or folder; a diskette drive without a disk answers
// false without the system's "drive not ready" box.
bool PathExists(const char* path);

// Asks for the setup disk: "Insert Velzor Setup disk 1 in drive X" with X the
// path's first character in upper case, owned by the active window, the
// information icon and the buttons given (MB_OK or MB_OKCANCEL). Returns the answer.
int AskForSetupDisk(const char* setupPath, UINT buttons);

}  // namespace vz
