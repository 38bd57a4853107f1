#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "core/outer_setup.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_selection.h"
#include "finalise/config_files.h"
#include "finalise/finalisation_steps.h"
#include "finalise/shell_integration.h"
#include "finalise/startup_files.h"
#include "preinstall/second_os.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr std::size_t kMessageCapacity = 512;
constexpr std::size_t kTypeCapacity = 5;
constexpr std::size_t kInfoTextCapacity = 30;
constexpr std::size_t kOemTextCapacity = 50;

void ReadInstallMap(const char* key, char* buffer, std::size_t capacity) {
  GetPrivateProfileStringA(kInstallMapSection, key, "", buffer, static_cast<DWORD>(capacity), kInstallMapFile);
}

void ReadOtherIni(const char* section, const char* key, const char* fallback, char* buffer, std::size_t capacity) {
  GetPrivateProfileStringA(section, key, fallback, buffer, static_cast<DWORD>(capacity), g_setup.perOsIniPath);
}

}  // namespace

void ReadUninstallArguments(char* buffer) {
  char command[kPathCapacity];
  ReadInstallMap("Uninstall", command, sizeof command);
  buffer[0] = '\0';
  const char* program = std::strstr(command, "uninst");
  if (!program) return;
  const char* blank = std::strchr(program, ' ');
  if (!blank) return;
  CopyText(buffer, kPathCapacity, blank);
}

void CopyOtherOSRecords() {
  char windowsFolder[kPathCapacity];
  ReadInstallMap(OtherSystemName(), windowsFolder, sizeof windowsFolder);
  CopyText(g_setup.perOsIniPath, windowsFolder);
  EnsureTrailingBackslash(g_setup.perOsIniPath);
  AppendText(g_setup.perOsIniPath, kPerOsIniName);

  char type[kTypeCapacity];
  ReadOtherIni(kPerOsInfoSection, kPerOsTypeEntry, "2", type, sizeof type);
  AddRegistryValue(HKEY_CURRENT_USER, kUserProductKey, "Type", type);

  char version[kOtherVersionCapacity];
  ReadOtherIni(kPerOsInfoSection, kPerOsVersionEntry, "", version, sizeof version);
  CopyText(g_setup.productVersion, version);
  AddRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion", g_setup.productVersion);

  char versionKey[kVersionKeyCapacity];
  BuildVersionKey(versionKey, sizeof versionKey);
  char text[kInfoTextCapacity];
  ReadOtherIni(kPerOsInfoSection, "Company", "", text, sizeof text);
  AddRegistryValue(HKEY_LOCAL_MACHINE, versionKey, "Company", text);
  ReadOtherIni(kPerOsInfoSection, "Name", "", text, sizeof text);
  AddRegistryValue(HKEY_LOCAL_MACHINE, versionKey, "Name", text);

  char oem[kOemTextCapacity];
  ReadOtherIni("OEM", "Name", "", oem, sizeof oem);
  if (oem[0] != '\0') {
    AddRegistryValue(HKEY_CURRENT_USER, kOemKey, "OEM Name", oem);
    const char* const fields[][2] = {{"Email", "OEM Email"}, {"Fax", "OEM Fax"}, {"Phone", "OEM Phone"}};
    for (const auto& field : fields) {
      ReadOtherIni("OEM", field[0], "", oem, sizeof oem);
      AddRegistryValue(HKEY_CURRENT_USER, kOemKey, field[1], oem);
    }
  }

  AddRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Velzor");
  char uninstaller[kPathCapacity];
  ReadInstallMap("Velzor", uninstaller, sizeof uninstaller);
  EnsureTrailingBackslash(uninstaller);
  AppendText(uninstaller, "VZUINST.EXE");
  AddRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", uninstaller);

  char arguments[kPathCapacity];
  ReadUninstallArguments(arguments);
  char uninstPath[kPathCapacity] = "";
  GetWindowsDirectoryA(uninstPath, sizeof uninstPath);
  EnsureTrailingBackslash(uninstPath);
  AppendText(uninstPath, "Uninst.exe ");
  AppendText(uninstPath, arguments);
  AddRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", uninstPath);
}

void CompleteOnSecondOS() {
  char text[kMessageCapacity];
  std::snprintf(text, sizeof text,
                "Setup has found that Velzor was already installed on %s.\n\nIt will now create icons and update "
                "%s registry and other\nsettings so that you can use the same version on %s",
                OtherSystemName(), OwnSystemName(), OwnSystemName());
  if (MessageBoxA(nullptr, text, "Setup", MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) return;

  ReadInstallMap("Velzor", g_setup.installFolder, sizeof g_setup.installFolder);
  EnsureTrailingBackslash(g_setup.installFolder);

  BuildProgramGroup();
  CopyOtherOSRecords();
  RecordLastInstalledVersion();
  WriteSignatureDates();
  RecordConfigOS();
  WriteInstallMapEntries();
  RecordCurrentVersion();
  if (GetOS() == 1) {
    RebuildStartupChecker();
    SetAutoexecStartupLine();
  }
  // Both systems' WININIT.INI, in this order; a system without an entry has none to clean.
  for (const char* system : {kWindows95, kWindowsNT}) {
    char windowsFolder[kPathCapacity];
    ReadInstallMap(system, windowsFolder, sizeof windowsFolder);
    if (windowsFolder[0] != '\0') RemoveWininitLines(g_setup.installFolder, windowsFolder);
  }
  RunComponentSelection();
  CloseOuterSetup();
  MessageBoxA(nullptr, "Velzor has been successfully installed.", "Setup", MB_OK | MB_ICONINFORMATION);
}

}  // namespace vz
