// misc.dll, the product's system services library: the operations it exports.
// Results are 1 for success (or found, ready, started) and 0 otherwise unless
// an operation says more. Null texts are taken as empty texts.
//
// GetOS: 1 when Windows reports the Windows 95/98 platform, 2 otherwise (NT).
//
// GetModuleDirectory(buffer, capacity): the folder of the running program
//   (from GetModuleFileName of the process), ending with "\". Returns its
//   length; when it does not fit the buffer receives the empty text and the
//   result is 0 (a cut folder would name another folder).
//
// GetVZVersionsInstalled: bit 1 when the install map file C:\VZ.INI names a
//   Windows 95 folder ([Path] "Windows 95") whose VZ32.INI records a product
//   version ([Info] "Version" not empty); bit 2 the same for "Windows NT".
//
// ExecFile(program, parameters, show, wait, fifth): starts a program with
//   CreateProcess. `program` is a program path, or a program path followed by
//   its own arguments ("C:\VZ\VZ32.EXE /AllDrives"): the program is the whole
//   text when it names an existing file, else the shortest leading part,
//   ending before a blank, that does (a text starting with a quote is taken as
//   it stands; when no part names a file, the whole text goes to
//   CreateProcess, which looks the program up itself). The
//   command line is the program in quotes, its own arguments, and
//   `parameters` when not empty. The program starts in its own folder with
//   the show command given (0 hidden, 5 shown). wait 1: returns after the
//   program has ended, handling messages sent to the caller's windows
//   meanwhile (so that broadcasts of other programs never hang). fifth 1: a
//   console program gets no console window (a hidden background run). Returns
//   1 when the program was started.
//
// IsAutoProtectLoaded: 1 while NEXOLT.EXE, the on-line protection, runs: it
//   holds the mutex and the hidden top-level window named in
//   nexolt_protocol.h.
//
// SetDriverOptions(options, path, length): hands the request to a running
//   NEXOLT.EXE (WM_COPYDATA to its window, dwData = options, the path cut to
//   `length` characters and to kDriverPathCapacity). With 0x8203 the
//   protection lets the setup read that file unhindered and keeps it in its
//   list. Returns what NEXOLT answers (1 when it took the request); 0 when it
//   is not running or does not answer within kDriverAnswerMs.
//
// RemoveEntriesFromStartup: deletes the Run values "Velzor On-Line
//   Protection", "Velzor Scheduler" and "Velzor ToolBar" under HKLM and HKCU
//   "SOFTWARE\Microsoft\Windows\CurrentVersion\Run", so none of the product's
//   resident programs loads at the next start (the installation writes the
//   chosen ones again).
//
// RemoveShellExtensions: deletes the verb key "shell\Velzor Scan" (with its
//   command) under HKCR comfile, exefile, Drive, Directory, vzcomp, and the
//   file types that HKCR .ARJ and .ZIP name (also those names cut to 13
//   characters, where a 14-byte read of the type puts the verb). Other verbs
//   and the types themselves stay.
//
// RestartWindows: asks Windows to restart (ExitWindowsEx with EWX_REBOOT),
//   after enabling the shutdown privilege on NT; returns at once, 1 when the
//   restart was started.
//
// UpdateOSInfo(path of VZ32.CNF, value): writes this system's record into the
//   existing file, in place: bytes 20..27 four 16-bit little-endian words (the
//   GetOS value, major version, minor version, build number's low word), bytes
//   28..31 the value passed (32-bit little-endian). A missing file, or one
//   shorter than 20 bytes, is left alone (result 0); it is never created or
//   truncated.
//
// MakeDriveReady(drive): 0 = A:, 1 = B:, ... 1 when the drive's root folder
//   can be read (an empty diskette counts as ready), with critical-error boxes
//   turned off for the check.
//
// FileCopy(source, destination, replace): copies the file; replace 1 replaces
//   an existing destination (also a read-only or hidden one), 0 keeps it and
//   fails.
//
// CheckFileType(handle): the program format from the file's header:
//   1 PE (Win32), 2 NE (Win16), 3 other MZ (DOS program, also a truncated or
//   lying header), 4 COM (no MZ header, 1 to 65280 bytes), 0 anything else.
// GetVirExeStart(handle, type): the file offset of the program's entry
//   point: MZ header size + CS:IP; PE AddressOfEntryPoint through the section
//   table; NE the entry segment's data + IP; COM 0, or where a leading JMP
//   (E9 near, EB short) goes. -1 when the entry lies outside the file or the
//   header cannot be trusted; 0 for type 0. Both read within the file only
//   and leave the file position as they found it.
#pragma once

#include <windows.h>

#include <cstdint>

#define VZ_MISC_API extern "C" __declspec(dllexport)

VZ_MISC_API int GetOS(void);
VZ_MISC_API int GetModuleDirectory(char* buffer, int capacity);
VZ_MISC_API int GetVZVersionsInstalled(void);
VZ_MISC_API int ExecFile(const char* programPath, const char* parameters, int showCommand, int wait, int fifthFlag);
VZ_MISC_API int IsAutoProtectLoaded(void);
VZ_MISC_API int RemoveEntriesFromStartup(void);
VZ_MISC_API int RestartWindows(void);
VZ_MISC_API int RemoveShellExtensions(void);
VZ_MISC_API int UpdateOSInfo(const char* cnfPath, int value);
VZ_MISC_API int MakeDriveReady(short drive);
VZ_MISC_API int FileCopy(const char* source, const char* destination, int flag);
VZ_MISC_API int SetDriverOptions(int options, const char* path, int length);
VZ_MISC_API short CheckFileType(HANDLE file);
VZ_MISC_API int32_t GetVirExeStart(HANDLE file, short fileType);

namespace vzmisc {
constexpr int kOsWindows95 = 1;
constexpr int kOsWindowsNT = 2;

constexpr short kTypeOther = 0;
constexpr short kTypePE = 1;
constexpr short kTypeNE = 2;
constexpr short kTypeMZ = 3;
constexpr short kTypeCOM = 4;
constexpr int32_t kNoEntry = -1;
constexpr uint32_t kMaxComSize = 65280;  // 64 KB less the 256-byte program segment prefix

constexpr long kOsRecordOffset = 20;     // in VZ32.CNF: OS, major, minor, build (16-bit each)
constexpr long kOsValueOffset = 28;      // in VZ32.CNF: the value passed (32-bit)

constexpr int kCommandCapacity = 1024;   // ExecFile's command line, terminator included
constexpr int kDriverPathCapacity = 260; // path handed to the on-line protection
constexpr UINT kDriverAnswerMs = 5000;
}  // namespace vzmisc
