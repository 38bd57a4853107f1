// What the uninstaller removes: the product's files in its folder and the
// product's records of this Windows installation. It uses no product library,
// so that it can remove them all.
#pragma once

#include <cstddef>

namespace vzuinst {

// The product's files, removed from the uninstaller's own folder. The
// uninstaller itself is not among them.
extern const char* const kProductFiles[];
extern const std::size_t kProductFileCount;
constexpr char kUninstallerName[] = "VZUINST.EXE";

// True when a setup of the product runs this uninstaller to remove the
// previous version: the version key of the version being installed (HKCU
// "TempCurrentVersion") holds "CalledFromInstall" = "1".
bool IsCalledFromInstall();

// Removes the product's files from the folder (ending with a backslash).
// Each file that exists and cannot be removed is added to notRemoved, one per
// line (cut to the capacity). Returns the number of such files.
int RemoveProductFiles(const char* folder, char* notRemoved, std::size_t capacity);

// Removes the product's records of this system. A setup that called the
// uninstaller keeps what it has written for itself: the user's product key
// and the version key of the version being installed.
void RemoveProductRecords(bool calledFromInstall);

// Lets the uninstaller's own file and then its folder be removed when Windows
// restarts (the folder only when it is empty by then).
void RemoveAtRestart(const char* uninstallerPath, const char* folder);

}  // namespace vzuinst
