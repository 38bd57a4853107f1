// The record accessors: the product's registry values and INI entries read
// and written for the phases.
#include "core/records.h"

#include <cstdlib>

#include "core/setup_context.h"
#include "core/text.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr char kUninstPathValue[] = "UninstPath";
constexpr char kLastVersionValue[] = "LastVerInstalled";
constexpr char kCalledFromInstallValue[] = "CalledFromInstall";
constexpr char kCalledFromUninstallValue[] = "CalledFromUninst";
constexpr char kTypeValue[] = "Type";
constexpr char kFlagOn[] = "1";

// A flag value in the version key: read with 5 bytes, only the first counts.
bool VersionFlag(const char* name) {
  char key[kVersionKeyCapacity];
  BuildVersionKey(key, sizeof key);
  char value[kFlagCapacity] = "";
  return GetRegValue(HKEY_LOCAL_MACHINE, key, name, value, sizeof value) && IsFlagSet(value);
}

// The other system's Windows folder from the install map file; empty when absent.
void ReadOtherSystemFolder(char* folder, std::size_t capacity) {
  GetPrivateProfileStringA(kInstallMapSection, OtherSystemName(), "", folder, static_cast<DWORD>(capacity),
                           kInstallMapFile);
}

}  // namespace

const char* OwnSystemName() { return GetOS() == 1 ? kWindows95 : kWindowsNT; }
const char* OtherSystemName() { return GetOS() == 1 ? kWindowsNT : kWindows95; }

void BuildVersionKey(char* buffer, std::size_t capacity) {
  CopyText(buffer, capacity, kProductKey);
  AppendText(buffer, capacity, "|");
  AppendText(buffer, capacity, g_setup.productVersion);
}

void SetPerOsIniPath() {
  char folder[kPathCapacity] = "";
  UINT len = GetWindowsDirectoryA(folder, sizeof folder);
  if (len == 0 || len >= sizeof folder) folder[0] = '\0';
  EnsureTrailingBackslash(folder);
  CopyText(g_setup.perOsIniPath, folder);
  AppendText(g_setup.perOsIniPath, kPerOsIniName);
}

bool IsInstalledOnThisOS() { return IsRegistryKeyPresent(HKEY_LOCAL_MACHINE, kUninstallKey) != 0; }

bool HasPreviousInstallation() {
  return IsRegistryValuePresent(HKEY_USERS, kDefaultUserProductKey, kLastVersionValue) == 1;
}

void ReadPreviousInstallFolder(char* buffer) {
  char command[kPathCapacity] = "";
  if (!GetRegValue(HKEY_LOCAL_MACHINE, kProductKey, kUninstPathValue, command, sizeof command)) return;
  PreviousFolderFromCommand(command, buffer, kPathCapacity);
}

bool IsCalledFromInstall() { return VersionFlag(kCalledFromInstallValue); }
bool IsCalledFromUninstall() { return VersionFlag(kCalledFromUninstallValue); }

void SetCalledFromInstall() {
  char key[kVersionKeyCapacity];
  BuildVersionKey(key, sizeof key);
  SetRegValue(HKEY_LOCAL_MACHINE, key, kCalledFromInstallValue, kFlagOn, 1);
}

void ClearCalledFromInstall() {
  char key[kVersionKeyCapacity];
  BuildVersionKey(key, sizeof key);
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, kCalledFromInstallValue);
}

bool IsOtherOSRecorded() {
  char folder[kPathCapacity] = "";
  ReadOtherSystemFolder(folder, sizeof folder);
  return folder[0] != '\0';
}

double ReadOtherOSVersion() {
  char ini[kPathCapacity] = "";
  ReadOtherSystemFolder(ini, sizeof ini);
  // No entry names no file (an empty folder would name this system's own VZ32.INI).
  if (ini[0] == '\0') return 0;
  if (!EnsureTrailingBackslash(ini) || !AppendText(ini, kPerOsIniName)) return 0;  // never a cut path
  char version[kOtherVersionCapacity] = "";
  GetPrivateProfileStringA(kPerOsInfoSection, kPerOsVersionEntry, "", version, sizeof version, ini);
  return VersionValue(version);
}

int ReadProductType() {
  char type[kProductTypeCapacity] = "";
  if (!GetRegValue(HKEY_CURRENT_USER, kUserProductKey, kTypeValue, type, sizeof type)) return 0;
  return std::atoi(type);  // leading blanks, a sign, digits; 0 when there are none
}

}  // namespace vz
