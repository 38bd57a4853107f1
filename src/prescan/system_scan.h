// The system file scan of the pre-install scan, and the naming of the viruses
// it finds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/setup_context.h"
#include "prescan/scan_state.h"

namespace vz {

// Scan kinds: the signature scanning library's function for each.
constexpr short kScanTop = 1;
constexpr short kScanBottom = 2;
constexpr short kScanPolymorphic = 4;
constexpr short kScanPe = 5;

// Fills the 2000-series and 8000-series name tables; returns 1.
int FillVirusNameTables();

// Scans the command interpreter (COMSPEC) and the executable files directly
// inside the Windows folder and its SYSTEM and COMMAND folders. 1 when a virus
// was found in any of them. Needs a successful InitScan before.
int ScanSystemFiles();

// pattern: a folder path with a final backslash followed by "*.*". 1 when a
// virus was found in any file scanned.
int ScanFolder(const char* pattern);

// 1 when a virus was found and reported; 0 when the file is clean or cannot
// be opened. The path is not changed.
int ScanFile(const char* path);

// 1 when the bare file name ends with "." and one of EXE, COM, DLL, DRV,
// OVR, OVL, SYS (in any case).
int HasExecutableExtension(const char* name);

// Runs one scan kind on the open file. 1 when it found a virus: the file is
// then closed and the virus reported.
int RunSignatureScan(HANDLE file, short kind, const char* path);

// Tells the user about an infected file.
void ReportVirus(short virusId, short kind, const char* path, short recordNumber);

// 1 with the name of the index record in `name`, 0 when it cannot be read or
// is empty. A name field without its zero byte gives all its 16 characters.
int ReadSignatureName(short recordNumber, char (&name)[kVirusNameCapacity]);

// --- Parts of the above, kept apart so they can be tested directly -----------

// The scan kinds a file gets, in the order they run: executables (file type
// 1 or 2) never get the top scan; other files whose start is 2000 or later
// get the bottom scan before the top scan.
struct ScanKinds {
  const short* kinds;
  std::size_t count;
};
ScanKinds ScanKindsFor(short fileType, int32_t start);

// The signature index beside the running program: its folder + "VZ.INX".
// False when that does not fit a path buffer.
bool IndexPath(char (&path)[kPathCapacity]);

// The name the helper's own tables give a finding, or nullptr when the
// signature index names it (top scan findings, and ids without a table entry).
const char* BuiltInVirusName(short kind, short virusId);

// Reads the name of a record from the index file at indexPath.
int ReadSignatureNameFrom(const char* indexPath, short recordNumber, char (&name)[kVirusNameCapacity]);

// The "Virus Found" message for a virus name and a path, in a buffer of
// kVirusMessageCapacity bytes. A path too long for the buffer loses its
// middle, shown as "...", so the whole message text still fits.
constexpr std::size_t kVirusMessageCapacity = 400;
void ComposeVirusMessage(char (&message)[kVirusMessageCapacity], const char* name, const char* path);

}  // namespace vz
