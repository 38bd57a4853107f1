// The finalisation (/endsetup) after the product's files are in the install
// folder: the records it keeps and rewrites, the files it edits and patches,
// the disinfection offer, and the component selection in its place.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "machine.h"
#include "outer_setup_window.h"
#include "phases_machine.h"
#include "product_files.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace phases;

namespace {

// The outer setup's own uninstall command, in mixed case as it registered it.
const std::string kSetupUninstall = "C:\\WINDOWS\\Uninst.EXE -fX" + kInstallLong + "Install.LOG";
const char kOriginalAutoexec[] = "@ECHO OFF\r\nPATH C:\\DOS\r\n";
const char kDisinfectText[] =
    "One or more files on your computer are infected.  It is highly recommended that you scan the system to "
    "eliminate the virus(es).\n\nNOTE : After Velzor eliminates the virus(es), you should create a Rescue "
    "Diskette.  This will help you recover at times of crisis. Setup will prompt you to create a rescue "
    "diskette.\n\nWould you like to disinfect your system now ?";

// The attributes the platform shows for a file set to hidden alone (Wine
// shows every file as archived).
DWORD HiddenAlone() {
  const std::string sample = kRoot + "HIDDEN.TXT";
  WriteFileBytes(sample, "");
  SetFileAttributesA(sample.c_str(), FILE_ATTRIBUTE_HIDDEN);
  DWORD attributes = GetFileAttributesA(sample.c_str());
  SetFileAttributesA(sample.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(sample.c_str());
  return attributes;
}

std::string OwnSystemKey(Os os) { return os == Os::Windows95 ? "Windows 95" : "Windows NT"; }
std::string OtherSystemKey(Os os) { return os == Os::Windows95 ? "Windows NT" : "Windows 95"; }

class Finalisation : public PhasesMachine {
 protected:
  // What /initsetup and the outer setup leave before /endsetup: the version
  // handed on, the Type code, and the outer setup's uninstall entry.
  static void RecordPreInstallation() {
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", kVersion);
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "Type", "2");
    SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Velzor");
  }
  static void ExpectVersionRecords(const std::string& install, Os os) {
    EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion"), kVersion);
    EXPECT_EQ(Reg(HKEY_USERS, kDefaultUserKey, "LastVerInstalled"), kVersion);
    EXPECT_EQ(IniText(kInstallMap, "Path", "Velzor"), install);
    EXPECT_EQ(IniText(kInstallMap, "Path", OwnSystemKey(os).c_str()), OwnWindows());
    EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Version"), kVersion);
    EXPECT_EQ(GetFileAttributesA(kInstallMap), HiddenAlone()) << "hidden alone";
  }
};

// --- The records and files of a whole finalisation -------------------------------

class EachSystem : public Finalisation, public ::testing::WithParamInterface<Os> {};

TEST_P(EachSystem, KeepsRewritesAndRecords) {
  const Os os = GetParam();
  auto machine = Machine(os);
  std::string install = MakeInstallFolder();
  RecordPreInstallation();
  SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", kSetupUninstall);
  SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion", kOldVersion);
  SetRegText(HKEY_USERS, kDefaultUserKey, "LastVerInstalled", kOldVersion);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "Company", "Orvanto Users Ltd");
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "Name", "Pat Example");
  WritePrivateProfileStringA("Path", OtherSystemKey(os).c_str(), kOtherWindows.c_str(), kInstallMap);
  SetFileAttributesA(kInstallMap, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);  // to end hidden alone
  WriteFileBytes(install + "VZCHK.INF", "a check file of an earlier installation");
  SetReadOnly(install + "VZCHK.INF");
  WriteFileBytes(TestMachine::WindowsFolder() + "WININIT.INI",
                 "[rename]\r\nNUL=" + install + "OLD.DLL\r\nNUL=C:\\TEMP\\KEEP.TMP\r\n");
  WriteFileBytes(kAutoexec, kOriginalAutoexec);

  OuterSetupWindow setup;
  Robot user;
  ExpectComponentSelection(user, os, "2");
  auto run = machine.RunHelper(EndSetup(), user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");

  // The uninstall entry now runs the product's uninstaller; the outer
  // setup's command is kept, lower-cased, twice.
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), install + "vzuinst.exe");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"), Lower(kSetupUninstall));
  EXPECT_EQ(IniText(kInstallMap, "Path", "Uninstall"), Lower(kSetupUninstall));

  // One current version, replaced; the other system's entry as it was.
  ExpectVersionRecords(install, os);
  auto names = RegValueNames(HKEY_LOCAL_MACHINE, kProductKey);
  EXPECT_EQ(std::count(names.begin(), names.end(), "CurrentVersion"), 1);
  EXPECT_EQ(IniText(kInstallMap, "Path", OtherSystemKey(os).c_str()), kOtherWindows);
  EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Company"), "Orvanto Users Ltd");
  EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Name"), "Pat Example");

  // Files: the check file gone, WININIT.INI without the install folder's
  // line, AUTOEXEC.BAT starting the checker, the drivers and VZ32.CNF patched.
  EXPECT_FALSE(FileExists(install + "VZCHK.INF"));
  EXPECT_EQ(ReadFileBytes(TestMachine::WindowsFolder() + "WININIT.INI").value_or(""),
            "[rename]\r\nNUL=C:\\TEMP\\KEEP.TMP\r\n");
  EXPECT_EQ(ReadFileBytes(kAutoexec).value_or(""), ShortPath(install + "VZSTRUP.EXE") + "\r\n" + kOriginalAutoexec);
  std::string driver = ReadFileBytes(install + "NEXOLT.SYS").value_or("");
  ASSERT_GE(driver.size(), 0x280u);
  EXPECT_EQ(std::string(driver.c_str() + 0x200), Lower(install) + "nexolt.drv");
  std::string config = ReadFileBytes(install + "VZ32.CNF").value_or("");
  ASSERT_GE(config.size(), 22u);
  EXPECT_NE(config.substr(12, 4), std::string(4, '\0')) << "the signature date";
  EXPECT_EQ(config[20], os == Os::Windows95 ? 1 : 2) << "the system";
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kRunKey, "Velzor On-Line Protection"), install + "NEXOLT.EXE");
  EXPECT_FALSE(FileExists(install + "VZ32.LOG")) << "no virus was found: no scan";
}

INSTANTIATE_TEST_SUITE_P(Phases, EachSystem, ::testing::Values(Os::WindowsNT, Os::Windows95),
                         [](const auto& info) { return info.param == Os::Windows95 ? "Windows95" : "WindowsNT"; });

// Without an uninstall command to keep, and without a company or user name
// to copy, those records stay as they were and the other steps all run.
// (No start-up checker in the folder: nothing but the finalisation touches
// the read-only check file.)
TEST_F(Finalisation, WithoutUninstallCommandOrNamesTheRestStillRuns) {
  auto machine = Machine(Os::WindowsNT);
  CopyFromMedia(kInstallLong, {"VZ32.CNF", "VZNT.CNF"});
  std::string install = InstallFolder();
  RecordPreInstallation();
  const char kEarlier[] = "c:\\earlier\\uninst.exe -f c:\\earlier\\install.log";
  SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", kEarlier);
  WritePrivateProfileStringA("Path", "Uninstall", kEarlier, kInstallMap);
  WriteFileBytes(install + "VZCHK.INF", "a check file of an earlier installation");
  SetReadOnly(install + "VZCHK.INF");

  OuterSetupWindow setup;
  Robot user;
  ExpectComponentSelection(user, Os::WindowsNT, "2");
  machine.RunHelper(EndSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "(none)");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"), kEarlier);
  EXPECT_EQ(IniText(kInstallMap, "Path", "Uninstall"), kEarlier);
  ExpectVersionRecords(install, Os::WindowsNT);
  EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Company"), "(none)");
  EXPECT_EQ(IniText(TestMachine::WindowsFolder() + "VZ32.INI", "Info", "Name"), "(none)");
  EXPECT_FALSE(FileExists(install + "VZCHK.INF")) << "read-only, and deleted all the same";
}

// --- The disinfection offer --------------------------------------------------------

struct OfferCase {
  const char* name;
  int answer;  // IDYES or IDNO
};

void PrintTo(const OfferCase& c, std::ostream* os) { *os << c.name; }

class Disinfection : public Finalisation, public ::testing::WithParamInterface<OfferCase> {};

// A virus found before the installation: the offer; Yes scans every local
// hard disk, and the finalisation goes on only when the scan has ended.
TEST_P(Disinfection, ScansAllDrivesOnlyOnYes) {
  const auto& c = GetParam();
  auto machine = Machine(Os::WindowsNT);
  CopyFromMedia(kInstallLong, {"VZ32.EXE", "VZ32.CNF", "VZNT.CNF"});  // the scanner without its library: it lists
  std::string install = InstallFolder();
  RecordPreInstallation();
  SetRegText(HKEY_CURRENT_USER, kUserProductKey, "VirusFoundDuringInstall", "1");

  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Disinfect Your System").WithText(kDisinfectText).WithIcon("question").WithButtons("Yes|No"))
      .Answer(c.answer);
  std::string logAtSelection;
  bool scannerOpenAtSelection = false;
  ExpectComponentSelection(user, Os::WindowsNT, "2", [&](HWND, Robot&) {
    logAtSelection = ReadFileBytes(install + "VZ32.LOG").value_or("(none)");
    scannerOpenAtSelection = FindWindowA(nullptr, "VZTileWindow") != nullptr;
  });
  auto run = machine.RunHelper(EndSetup(), user, {.timeoutMs = 180000});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_FALSE(scannerOpenAtSelection) << "the component selection came while the scanner still ran";
  if (c.answer == IDYES) {
    EXPECT_NE(logAtSelection.find("Scan complete:"), std::string::npos) << logAtSelection.substr(0, 400);
  } else {
    EXPECT_EQ(logAtSelection, "(none)") << "no scan";
  }
}

INSTANTIATE_TEST_SUITE_P(Phases, Disinfection,
                         ::testing::Values(OfferCase{"Yes", IDYES}, OfferCase{"No", IDNO}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
