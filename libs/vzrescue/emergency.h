// The Emergency diskette: the scanner, its library and its signatures, with a
// manifest and instructions, so that a machine can be scanned from the diskette.
#pragma once

#include <windows.h>

#include <string>

namespace rescue {

// Writes the Emergency diskette's files from the folder (ending with "\") to
// the drive. On failure *why says what went wrong, for the user.
bool WriteEmergencyDiskette(const std::string& sourceFolder, char driveLetter, std::string* why);

}  // namespace rescue
