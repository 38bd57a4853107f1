#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/command_line.h"
#include "core/outer_setup.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_selection.h"
#include "preinstall/preinstall.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"
#include "preinstall/second_os.h"
#include "prescan/scan_dialog.h"
#include "resources/resource.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr std::size_t kLastVersionCapacity = 10;
constexpr std::size_t kMessageCapacity = 512;
constexpr char kUninstPrevVer[] = "UninstPrevVer";
// The installation was abandoned before any answer (no message box returns it).
constexpr int kAbandoned = -1;

// The product is installed on the other system of this machine and not here.
// Returns true when the phase ends there.
bool HandleOtherSystem() {
  if (IsInstalledOnThisOS() || !IsOtherOSRecorded()) return false;
  if (ReadOtherOSVersion() == VersionValue(g_setup.productVersion)) {
    CompleteOnSecondOS();
    return true;
  }
  char text[kMessageCapacity];
  std::snprintf(text, sizeof text,
                "Velzor Setup has detected a different version\nof Velzor installed on %s.\nUninstall Velzor "
                "from %s before installing\nVelzor on %s.",
                OtherSystemName(), OtherSystemName(), OwnSystemName());
  MessageBoxA(nullptr, text, "Aborting Setup", MB_OK | MB_ICONINFORMATION);
  CloseOuterSetup();
  return true;
}

void RecordOemCopy(int oemFlag) {
  if (oemFlag != 0) {
    DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_OEM_DETAILS), nullptr, OemDetailsDlgProc, 0);
    AddRegistryValue(HKEY_CURRENT_USER, kOemKey, "OEM Copy", "1");
  } else {
    DeleteRegistryKey(HKEY_CURRENT_USER, kProductKey, "OEM Copy");
  }
}

// The warning about other anti-virus software and the pre-install scan.
// Returns false when the user cancelled at the warning.
bool WarnAndScan() {
  int answer = MessageBoxA(
      nullptr,
      "If you have any other anti-virus software/hardware loaded\nin your system, it is recommended that you "
      "unload it to\navoid any inconvinience caused during installation.\n\nIf such softwares/hardware are not "
      "unloaded,\nperformance of Velzor can be unpredictable.\n\nSelect Cancel to abort Setup.",
      "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION);
  if (answer == IDCANCEL) {
    CloseOuterSetup();
    ClearCalledFromInstall();
    return false;
  }
  DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_SCAN_PROGRESS), nullptr, ScanProgressDlgProc, 0);
  return true;
}

// The answer about the installed version: the one kept before a restart, the
// uninstaller's request, or the user's (0 when the question could not be
// shown). kAbandoned when the installation is abandoned before any question.
int DecideAboutInstalledVersion(const char* versionKey) {
  if (IsCalledFromUninstall() || IsCalledFromInstall()) {
    if (!IsCalledFromInstall()) return IDYES;
    char kept[kFlagCapacity] = "";
    GetRegValue(HKEY_LOCAL_MACHINE, versionKey, kUninstPrevVer, kept, sizeof kept);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, versionKey, kUninstPrevVer);
    ClearCalledFromInstall();
    return IsFlagSet(kept) ? IDYES : IDNO;
  }
  if ((GetVZVersionsInstalled() & 0x3) == 0x3) {
    MessageBoxA(nullptr,
                "Velzor was installed on more than one operating systems.\nUninstall Velzor from all the operating "
                "systems before\ninstalling Velzor.",
                "Aborting Setup", MB_OK | MB_ICONINFORMATION);
    CloseOuterSetup();
    return kAbandoned;
  }
  int answer = static_cast<short>(MessageBoxA(
      GetActiveWindow(),
      "Velzor is already installed on this system.\nWould you like to uninstall the previous version\nbefore "
      "proceeding with installation?\n\nSelect Cancel to stop installation",
      "Velzor already installed", MB_YESNOCANCEL | MB_ICONINFORMATION));
  SetRegValue(HKEY_LOCAL_MACHINE, versionKey, kUninstPrevVer, answer == IDYES ? "1" : "0", 1);
  return answer;
}

// A restart has been started: the run after it continues from the records,
// which stay as they are. This session's installation ends here, so that the
// outer setup copies nothing while Windows shuts down.
void StopForRestart() { CloseOuterSetup(); }

void RemovePreviousVersion(const char* previousFolder) {
  if (CloseProductWindows(g_setup.sourceFolder)) return StopForRestart();
  SetCalledFromInstall();
  if (!RunPreviousUninstaller()) {
    MessageBoxA(GetActiveWindow(), "Previous version of Velzor was not uninstalled.\nCan not proceed with installation.",
                kVelzorSetupCaption, MB_OK | MB_ICONEXCLAMATION);
    CloseOuterSetup();
    ClearCalledFromInstall();
    return;
  }
  ClearCalledFromInstall();
  RedatePreviousFiles(previousFolder);
  WaitForSetupDisk(g_setup.sourceFolder);
}

// A name that names one subkey of the product key, and not the version key
// of the version being installed.
bool IsOtherVersionKeyName(const char* name) {
  if (name[0] == '\0' || std::strpbrk(name, "|\\") != nullptr) return false;
  return _stricmp(name, g_setup.productVersion) != 0;
}

void KeepPreviousVersion(const char* previousFolder) {
  char lastVersion[kLastVersionCapacity] = "";
  bool known = GetRegValue(HKEY_USERS, kDefaultUserProductKey, "LastVerInstalled", lastVersion,
                           sizeof lastVersion) != 0;
  if (CloseProductWindows(g_setup.sourceFolder)) return StopForRestart();
  Sleep(1000);
  RedatePreviousFiles(previousFolder);
  if (known && IsOtherVersionKeyName(lastVersion)) DeleteRegistryKey(HKEY_LOCAL_MACHINE, kProductKey, lastVersion);
}

}  // namespace

// The /initsetup phase: records what later phases need, warns and scans, and
// decides from the product's records whether the installation goes ahead.
void RunPreInstallation(const char* commandLine) {
  InitSetupTokens tokens{};
  TakeInitSetupTokens(commandLine, &tokens);

  DeleteRegistryValue(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion");
  AddRegistryValue(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", g_setup.productVersion);

  char previousFolder[kPathCapacity] = "";
  if (HasPreviousInstallation()) ReadPreviousInstallFolder(previousFolder);
  ShortenPathInPlace(g_setup.sourceFolder);
  ShortenPathInPlace(previousFolder);
  SetPerOsIniPath();

  if (HandleOtherSystem()) return;

  RecordOemCopy(tokens.oemFlag);
  AddRegistryValue(HKEY_CURRENT_USER, kUserProductKey, "Type", tokens.typeText);
  WritePrivateProfileStringA(kPerOsInfoSection, kPerOsTypeEntry, tokens.typeText, g_setup.perOsIniPath);

  if (!IsCalledFromInstall() && !WarnAndScan()) return;

  char versionKey[kVersionKeyCapacity];
  BuildVersionKey(versionKey, sizeof versionKey);
  if (!IsInstalledOnThisOS()) return;

  int answer = DecideAboutInstalledVersion(versionKey);
  if (answer == kAbandoned) return;
  // A source folder recorded for an earlier restart is not used again.
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, versionKey, kSetupDriveValue);

  switch (answer) {
    case IDCANCEL: CloseOuterSetup(); break;
    case IDYES: RemovePreviousVersion(previousFolder); break;
    case IDNO: KeepPreviousVersion(previousFolder); break;
    default: break;  // the question could not be asked: the installation goes ahead
  }
}

}  // namespace vz
