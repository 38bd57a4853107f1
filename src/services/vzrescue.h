// VZRESCUE.DLL, the product's rescue library, as the helper calls it. It is
// loaded at run time from the install folder; these are its two exports.
#pragma once

#include <windows.h>

extern "C" {

// Writes the Rescue diskette (rescue information of the system disk) to the
// drive named by its letter. reserved is 0. Low 16 bits: 1 when stored.
using RescueCreateProc = int(WINAPI*)(char driveLetter, int reserved, HINSTANCE instance);
// Writes the Emergency diskette. Low 16 bits, signed: 0 when not written.
using CreateEmergencyDiskProc = int(WINAPI*)(char driveLetter, HWND parent, HINSTANCE instance);

}  // extern "C"

constexpr char kRescueLibraryName[] = "VZRESCUE.DLL";
constexpr char kRescueCreateExport[] = "RescueCreate";
constexpr char kCreateEmergencyDiskExport[] = "CreateEmergencyDisk";
