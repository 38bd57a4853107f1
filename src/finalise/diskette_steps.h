// Rescue and Emergency diskettes: the drive chosen by the user and the steps
// of the diskette loop.
#pragma once

#include <windows.h>

namespace vz {

// The drive of the diskette loop: 0 is A:, 1 is B:, -1 none (cancelled, or no
// diskette drive). Process-wide, set by the drive selection dialog.
extern short g_selectedDrive;

constexpr short kNoDrive = -1;
constexpr int kWaitCancelled = 2;  // WaitForDiskette: the user gave up

// The drive's letter: 'A' advanced by the number.
inline char DriveLetter(short drive) { return static_cast<char>('A' + drive); }

INT_PTR CALLBACK DriveSelectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RescueDoneDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Each writes one diskette on the selected drive, in the install folder as
// current directory, and restores the current directory afterwards.
// Rescue: 1 written, 0 not written, -1 drive not ready. Emergency: 0 not written.
short RescueDisketteStep();
short EmergencyDisketteStep();

// Saves the current directory into the buffer (260) and makes the install
// folder current. The buffer stays empty, and nothing changes, when the
// current directory cannot be saved.
void EnterInstallFolder(char* saved);
// Makes the saved directory current again (nothing when the buffer is empty).
void LeaveInstallFolder(const char* saved);

int WaitForDiskette(short drive);
short RunRescueLibrary(short drive, int reserved, HINSTANCE instance);
short RunEmergencyLibrary(short drive, HWND parent, HINSTANCE instance);

}  // namespace vz
