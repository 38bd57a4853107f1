// The product's records: registry values, the install map file C:\VZ.INI and
// the per-OS INI VZ32.INI, and the accessors several phases share.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vz {

// Keys, as the registry access library takes them.
constexpr char kUninstallKey[] = "SOFTWARE|Microsoft|Windows|CurrentVersion|Uninstall|Velzor";
constexpr char kProductKey[] = "SOFTWARE|Orvanto|Velzor";        // HKLM
constexpr char kUserProductKey[] = "Software|Orvanto|Velzor";    // HKCU
constexpr char kOemKey[] = "SOFTWARE|Orvanto|Velzor|OEM Copy";   // HKCU
constexpr char kDefaultUserProductKey[] = ".Default|Software|Orvanto|Velzor";  // HKU
constexpr char kRunOnceKey[] = "SOFTWARE|Microsoft|Windows|CurrentVersion|RunOnce";
constexpr char kRunKey[] = "SOFTWARE|Microsoft|Windows|CurrentVersion|Run";

// Run values of the start-up components.
constexpr char kRunValueScheduler[] = "Velzor Scheduler";
constexpr char kRunValueToolbar[] = "Velzor ToolBar";
constexpr char kRunValueOnlineProtection[] = "Velzor On-Line Protection";

constexpr char kInstallMapFile[] = "C:\\VZ.INI";
constexpr char kInstallMapSection[] = "Path";
constexpr char kPerOsIniName[] = "VZ32.INI";
constexpr char kPerOsInfoSection[] = "Info";
constexpr char kPerOsVersionEntry[] = "Version";
constexpr char kPerOsTypeEntry[] = "Type";

constexpr char kWindows95[] = "Windows 95";
constexpr char kWindowsNT[] = "Windows NT";

constexpr std::size_t kFlagCapacity = 5;       // a flag test reads 5 bytes
constexpr std::size_t kProductTypeCapacity = 4;  // "Type" is read with 4 bytes
constexpr std::size_t kOtherVersionCapacity = 6;  // the other system's "Version", at most 5 characters
constexpr std::size_t kVersionKeyCapacity = 64;  // "SOFTWARE|Orvanto|Velzor|" + version

// The own and the other system's key in the install map file.
const char* OwnSystemName();
const char* OtherSystemName();

// "SOFTWARE|Orvanto|Velzor|" + the product version string of the setup context.
void BuildVersionKey(char* buffer, std::size_t capacity);

// This system's Windows folder, a backslash, "VZ32.INI", into the setup context.
void SetPerOsIniPath();

bool IsInstalledOnThisOS();
bool HasPreviousInstallation();
// Fills the buffer (260) with the previous install folder; leaves it as it
// was when no folder can be found.
void ReadPreviousInstallFolder(char* buffer);
bool IsCalledFromInstall();
bool IsCalledFromUninstall();
void SetCalledFromInstall();
void ClearCalledFromInstall();
bool IsOtherOSRecorded();
double ReadOtherOSVersion();
int ReadProductType();

// Decimal value of a version text: the leading part that reads as a number, 0 when none.
double VersionValue(const char* text);

// The previous install folder in an "UninstPath" command (lower case, ending
// after the last backslash of the path that follows "-f" and one character).
// False, with the folder untouched, when the command names none.
bool PreviousFolderFromCommand(const char* command, char* folder, std::size_t capacity);

// A flag value: true when its first character is "1".
bool IsFlagSet(const char* value);

}  // namespace vz
