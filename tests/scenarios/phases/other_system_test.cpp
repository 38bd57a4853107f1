// The pre-installation with the product installed on the other system of a
// dual-boot machine and not on this one: the same version is completed here
// from that system's records without copying files; another version is refused.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "machine.h"
#include "outer_setup_window.h"
#include "phases_machine.h"
#include "robot.h"

using namespace bench;
using namespace phases;

namespace {

const char kUninstallCommand[] = "c:\\windows\\uninst.exe -f c:\\vzphase\\install.log";  // as /endsetup kept it
const char kOriginalAutoexec[] = "@ECHO OFF\r\nPATH C:\\DOS\r\n";

std::string ConfirmationText(const char* other, const char* own) {
  return std::string("Setup has found that Velzor was already installed on ") + other +
         ".\n\nIt will now create icons and update " + own + " registry and other\nsettings so that you can use the "
         "same version on " + own;
}

std::string Wininit(const std::string& installFolder) {
  return "[rename]\r\nNUL=" + installFolder + "OLD.DLL\r\nNUL=C:\\TEMP\\KEEP.TMP\r\n";
}

std::string ProgramGroup() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\Velzor\\";
}

class OtherSystem : public PhasesMachine {
 protected:
  // The product installed from the other system: the install map file names
  // the install folder, that system's Windows folder and the uninstall
  // command; that system's VZ32.INI holds its records. Both systems'
  // WININIT.INI name a file of the install folder; AUTOEXEC.BAT is the user's.
  static std::string InstallFromOtherSystem(Os os, const std::string& otherIni) {
    std::string install = MakeInstallFolder();
    WritePrivateProfileStringA("Path", "Velzor", install.c_str(), kInstallMap);
    WritePrivateProfileStringA("Path", os == Os::Windows95 ? "Windows NT" : "Windows 95", kOtherWindows.c_str(),
                               kInstallMap);
    WritePrivateProfileStringA("Path", "Uninstall", kUninstallCommand, kInstallMap);
    WriteFileBytes(kOtherWindows + "\\VZ32.INI", otherIni);
    WriteFileBytes(kOtherWindows + "\\WININIT.INI", Wininit(install));
    WriteFileBytes(TestMachine::WindowsFolder() + "WININIT.INI", Wininit(install));
    WriteFileBytes(kAutoexec, kOriginalAutoexec);
    return install;
  }
};

// --- Completion ------------------------------------------------------------------

struct CompletionCase {
  const char* name;
  Os os;
  const char* own;
  const char* other;
  std::string otherIni;
  const char* version;  // as the other system recorded it
  const char* type;     // "Type" afterwards
  const char* oemName;  // "OEM Name" afterwards; nullptr: no OEM records
};

void PrintTo(const CompletionCase& c, std::ostream* os) { *os << c.name; }

class Completion : public OtherSystem, public ::testing::WithParamInterface<CompletionCase> {};

TEST_P(Completion, CopiesTheOtherSystemsRecordsAndFinishesHere) {
  const auto& c = GetParam();
  auto machine = Machine(c.os);
  std::string install = InstallFromOtherSystem(c.os, c.otherIni);
  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Setup").WithText(ConfirmationText(c.other, c.own)).WithIcon("information").WithButtons(
                  "OK|Cancel"))
      .Answer(IDOK);
  ExpectComponentSelection(user, c.os, c.type);
  user.Expect(MessageBox("Setup").WithText("Velzor has been successfully installed.").WithIcon("information")
                  .WithButtons("OK"))
      .Answer(IDOK);
  auto run = machine.RunHelper(InitSetup("2", "0", kVersion), user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), "hidden closed");
  EXPECT_FALSE(user.Saw(kScanCaption));

  // This system's records, from the other system's.
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Velzor");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), install + "VZUINST.EXE");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"),
            OwnWindows() + "\\Uninst.exe  -f c:\\vzphase\\install.log")
      << "this system's Windows folder, Uninst.exe, two blanks, the arguments";
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion"), c.version);
  std::string versionKey = std::string(kProductKey) + "\\" + c.version;
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, versionKey, "Company"), "Orvanto Users Ltd");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, versionKey, "Name"), "Pat Example");
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "Type"), c.type);
  EXPECT_EQ(Reg(HKEY_USERS, kDefaultUserKey, "LastVerInstalled"), c.version);
  if (c.oemName) {
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Name"), c.oemName);
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Email"), "sales@cornershop.example");
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Fax"), "");
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Phone"), "555 0100");
  } else {
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOemKey));
  }

  // The install map file gains this system; nothing is written to either VZ32.INI.
  EXPECT_EQ(IniText(kInstallMap, "Path", c.own), OwnWindows());
  EXPECT_EQ(IniText(kInstallMap, "Path", c.other), kOtherWindows);
  EXPECT_EQ(IniText(kInstallMap, "Path", "Velzor"), install);
  EXPECT_EQ(ReadFileBytes(kOtherWindows + "\\VZ32.INI").value_or(""), c.otherIni);
  EXPECT_FALSE(FileExists(TestMachine::WindowsFolder() + "VZ32.INI"));

  // Both systems' WININIT.INI lose the install folder's line.
  for (const std::string& windows : {TestMachine::WindowsFolder(), kOtherWindows + "\\"})
    EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI").value_or("(none)"), "[rename]\r\nNUL=C:\\TEMP\\KEEP.TMP\r\n")
        << windows;

  // The start-up checker and AUTOEXEC.BAT only on Windows 95.
  bool windows95 = c.os == Os::Windows95;
  EXPECT_EQ(FileExists(install + "VZCHK.INF"), windows95) << "VZSTRUP.EXE /INIT /REBUILD";
  if (windows95)
    EXPECT_EQ(FirstLine(kAutoexec), ShortPath(install + "VZSTRUP.EXE"));
  else
    EXPECT_EQ(ReadFileBytes(kAutoexec).value_or(""), kOriginalAutoexec);

  // Icons, start-up entries and the configuration file of this system.
  EXPECT_TRUE(FileExists(ProgramGroup() + "Velzor.lnk"));
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kRunKey, "Velzor On-Line Protection"), install + "NEXOLT.EXE");
  std::string config = ReadFileBytes(install + "VZ32.CNF").value_or("");
  ASSERT_GE(config.size(), 22u);
  EXPECT_EQ(config[20], windows95 ? 1 : 2) << "the system recorded in VZ32.CNF";
  EXPECT_NE(config.substr(12, 4), std::string(4, '\0')) << "the signature date in VZ32.CNF";
}

const std::string kOem60 = "Corner Shop Computers and Peripherals of the High Street Ltd";

INSTANTIATE_TEST_SUITE_P(
    Phases, Completion,
    ::testing::Values(
        // 5.00 there is version 5.0 here; no Type there gives "2"; no [OEM] Name, no OEM records.
        CompletionCase{"OnNtFrom95", Os::WindowsNT, "Windows NT", "Windows 95",
                       "[Info]\r\nVersion=5.00\r\nCompany=Orvanto Users Ltd\r\nName=Pat Example\r\n", "5.00", "2",
                       nullptr},
        CompletionCase{"On95FromNt", Os::Windows95, "Windows 95", "Windows NT",
                       "[Info]\r\nType=1\r\nVersion=5.0\r\nCompany=Orvanto Users Ltd\r\nName=Pat Example\r\n"
                       "[OEM]\r\nName=" + kOem60 + "\r\nEmail=sales@cornershop.example\r\nFax=\r\nPhone=555 0100\r\n",
                       "5.0", "1", "Corner Shop Computers and Peripherals of the High"}),
    [](const auto& info) { return std::string(info.param.name); });

// Cancel at the confirmation: nothing is written, and the outer setup goes on.
TEST_F(OtherSystem, CancelLeavesEverythingAndSetupGoesOn) {
  auto machine = Machine(Os::WindowsNT);
  std::string install = InstallFromOtherSystem(Os::WindowsNT, "[Info]\r\nVersion=5.0\r\n");
  std::string map = ReadFileBytes(kInstallMap).value_or("");
  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Setup").WithText(ConfirmationText("Windows 95", "Windows NT"))).Answer(IDCANCEL);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_EQ(user.Seen().size(), 1u) << user.Transcript();
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  EXPECT_FALSE(RegKeyExists(HKEY_USERS, kDefaultUserKey));
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "Type"), "(none)");
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion"), kVersion) << "handed on before the decision";
  EXPECT_EQ(ReadFileBytes(kInstallMap).value_or(""), map);
  EXPECT_EQ(ReadFileBytes(kAutoexec).value_or(""), kOriginalAutoexec);
  EXPECT_EQ(ReadFileBytes(TestMachine::WindowsFolder() + "WININIT.INI").value_or(""), Wininit(install));
  EXPECT_FALSE(FileExists(TestMachine::WindowsFolder() + "VZ32.INI"));
  EXPECT_FALSE(FolderExists(ProgramGroup()));
}

// --- Another version there: refused ----------------------------------------------

struct RefusalCase {
  const char* name;
  Os os;
  const char* other;
  const char* text;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class Refusal : public OtherSystem, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, NamesTheSystemsAndStopsTheInstallation) {
  const auto& c = GetParam();
  auto machine = Machine(c.os);
  RecordSystem(c.other, kOtherWindows, kOldVersion);
  OuterSetupWindow setup;
  Robot user;
  user.Expect(MessageBox("Aborting Setup").WithText(c.text).WithIcon("information").WithButtons("OK")).Answer(IDOK);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden closed");
  EXPECT_EQ(user.Seen().size(), 1u) << "no warning and no scan\n" << user.Transcript();
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProductKey, "Type"), "(none)");
  EXPECT_FALSE(FileExists(TestMachine::WindowsFolder() + "VZ32.INI"));
}

INSTANTIATE_TEST_SUITE_P(
    Phases, Refusal,
    ::testing::Values(
        RefusalCase{"On95WithNtHoldingAnother", Os::Windows95, "Windows NT",
                    "Velzor Setup has detected a different version\nof Velzor installed on Windows NT.\nUninstall "
                    "Velzor from Windows NT before installing\nVelzor on Windows 95."},
        RefusalCase{"OnNtWith95HoldingAnother", Os::WindowsNT, "Windows 95",
                    "Velzor Setup has detected a different version\nof Velzor installed on Windows 95.\nUninstall "
                    "Velzor from Windows 95 before installing\nVelzor on Windows NT."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
