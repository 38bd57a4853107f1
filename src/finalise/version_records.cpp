#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "finalise/finalisation_steps.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr char kCurrentVersion[] = "CurrentVersion";
constexpr char kLastVerInstalled[] = "LastVerInstalled";
}  // namespace

// Each holds exactly one current text: deleted, then added again.
void RecordCurrentVersion() {
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, kCurrentVersion);
  AddRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, kCurrentVersion, g_setup.productVersion);
}

void RecordLastInstalledVersion() {
  DeleteRegistryValue(HKEY_USERS, kDefaultUserProductKey, kLastVerInstalled);
  AddRegistryValue(HKEY_USERS, kDefaultUserProductKey, kLastVerInstalled, g_setup.productVersion);
}

void WriteInstallMapEntries() {
  WritePrivateProfileStringA(kInstallMapSection, "Velzor", g_setup.installFolder, kInstallMapFile);
  char windowsFolder[kPathCapacity] = "";
  GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
  WritePrivateProfileStringA(kInstallMapSection, OwnSystemName(), windowsFolder, kInstallMapFile);
}

// The per-OS INI's "Info" section: version, company and user name. A value
// that cannot be read is not written, so nothing stale or unset gets there.
void WriteProductInfo() {
  constexpr std::size_t kCompanyCapacity = 50;
  constexpr std::size_t kNameCapacity = 30;
  constexpr int kVersionReadSize = 8;
  const char* ini = g_setup.perOsIniPath;

  GetRegValue(HKEY_LOCAL_MACHINE, kProductKey, kCurrentVersion, g_setup.productVersion, kVersionReadSize);
  WritePrivateProfileStringA(kPerOsInfoSection, kPerOsVersionEntry, g_setup.productVersion, ini);

  char versionKey[kVersionKeyCapacity];
  BuildVersionKey(versionKey, sizeof versionKey);
  char company[kCompanyCapacity] = "";
  if (GetRegValue(HKEY_LOCAL_MACHINE, versionKey, "Company", company, sizeof company))
    WritePrivateProfileStringA(kPerOsInfoSection, "Company", company, ini);
  char name[kNameCapacity] = "";
  if (GetRegValue(HKEY_LOCAL_MACHINE, versionKey, "Name", name, sizeof name))
    WritePrivateProfileStringA(kPerOsInfoSection, "Name", name, ini);
}

void HideInstallMapFile() { SetFileAttributesA("c:\\vz.ini", FILE_ATTRIBUTE_HIDDEN); }

}  // namespace vz
