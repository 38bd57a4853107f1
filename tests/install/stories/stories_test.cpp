// Whole installations through SETUP.EXE on a pristine machine, one story a
// case: the robot is the user, and what the installation left is checked.
// tests/install/run-story gives each story its machine (two for the second
// operating system); the demo runs the same stories with pictures and a report.
#include <gtest/gtest.h>

#include <algorithm>

#include "nexolt_protocol.h"
#include "story.h"
#include "virus_samples.h"

using namespace bench;
using namespace story;

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";
const char kProductKey[] = "SOFTWARE\\Orvanto\\Velzor";
const char kUserProductKey[] = "Software\\Orvanto\\Velzor";
const char kOemKey[] = "Software\\Orvanto\\Velzor\\OEM Copy";
const char kDefaultUserKey[] = ".Default\\Software\\Orvanto\\Velzor";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kInstallMap[] = "C:\\VZ.INI";
const char kAlreadyInstalledText[] =
    "Velzor is already installed on this system.\nWould you like to uninstall the previous version\nbefore "
    "proceeding with installation?\n\nSelect Cancel to stop installation";
const char kRebootText[] = "Velzor Setup will now reboot the system to remove Online Protection.";
// A harmless made-up marker that the product's signature list names Velzor.Test.
const char kTestMarker[] = "VELZOR-HARMLESS-TEST-MARKER";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Text(HKEY root, const std::string& key, const std::string& name) {
  return RegText(root, key, name).value_or("(none)");
}

std::string VersionKey(const std::string& version) { return std::string(kProductKey) + "\\" + version; }
std::string PerOsIni() { return TestMachine::WindowsFolder() + "VZ32.INI"; }
std::string WindowsFolderAsReported() {
  std::string folder = TestMachine::WindowsFolder();
  return folder.substr(0, folder.size() - 1);
}
bool Interactive() { return TheOptions().interactive; }

class Story : public ::testing::Test {
 protected:
  void SetUp() override { PrepareMachine(TheOptions().os); }
  void TearDown() override {
    if (TheOptions().report) PrintReport(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // The story's main installation: the robot with its script, or a person.
  static Installation Install(Robot& user, const std::string& media, int setupRuns = 1) {
    return RunSetup(media, Interactive() ? nullptr : &user, setupRuns);
  }

  // A completed installation of this system, as the finalisation leaves it.
  static void ExpectInstalled(const std::string& media, const std::string& version, const std::string& type) {
    const std::string install = InstallShort();
    const std::string kept = Lower(SetupUninstallCommand());
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Velzor");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), install + "vzuinst.exe");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"), kept) << "the outer setup's command, lower-cased";
    EXPECT_EQ(IniText(kInstallMap, "Path", "Uninstall"), kept);
    EXPECT_EQ(IniText(kInstallMap, "Path", "Velzor"), install);
    EXPECT_EQ(IniText(kInstallMap, "Path", OsName(TheOptions().os)), WindowsFolderAsReported());
    // Hidden alone; Wine shows every file with the archive attribute, whatever is set.
    EXPECT_EQ(GetFileAttributesA(kInstallMap) & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion"), version);
    EXPECT_EQ(Text(HKEY_USERS, kDefaultUserKey, "LastVerInstalled"), version);
    EXPECT_EQ(Text(HKEY_CURRENT_USER, kUserProductKey, "Type"), type);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, VersionKey(version), "Name"), kRegisteredOwner);
    EXPECT_EQ(IniText(PerOsIni(), "Info", "Version"), version);
    EXPECT_EQ(IniText(PerOsIni(), "Info", "Type"), type);
    EXPECT_EQ(IniText(PerOsIni(), "Info", "Name"), kRegisteredOwner);
    EXPECT_EQ(IniText(PerOsIni(), "Info", "Company"), kRegisteredCompany);

    for (const auto& file : MediaFiles(media)) EXPECT_TRUE(FileExists(install + file)) << file << " not installed";
    EXPECT_TRUE(FileExists(install + "SETUP.LOG"));
    EXPECT_FALSE(FileExists(install + "VZCHK.INF")) << "the check file is rebuilt, then deleted";
    EXPECT_TRUE(FileExists(install + "VZSCHED.INI")) << "the scheduler was not set up";

    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, "Velzor On-Line Protection"), install + "NEXOLT.EXE");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, "Velzor ToolBar"), install + "TOOLBAR.EXE");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, "Velzor Scheduler"), install + "VZSCHED.EXE /startup");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "exefile\\shell\\Velzor Scan\\command", ""), install + "VZ32.EXE /Vz32Scan%1");
    ExpectProgramGroup();
    EXPECT_EQ(ReadFileBytes(kAutoexec).value_or(""), install + "VZSTRUP.EXE\r\n" + kAutoexecLines)
        << "the start-up checker comes first";
    if (TheOptions().os == Os::Windows95) {
      EXPECT_TRUE(FileExists("A:\\PART.INF") && FileExists("A:\\BOOT.INF")) << "no Rescue diskette";
    }
  }

  static void ExpectProgramGroup() {
    auto items = StartMenuGroup("Velzor");
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"Online Protection", "Scheduler", "Tool Bar", "Uninstall", "Velzor"}));
  }

  static int CountSeenContaining(const Robot& user, const std::string& part) {
    auto seen = user.Seen();
    return static_cast<int>(
        std::count_if(seen.begin(), seen.end(), [&](const WindowSeen& w) { return w.text.find(part) != std::string::npos; }));
  }
};

// --- First installation ---------------------------------------------------------------

TEST_F(Story, FirstInstallation) {
  Robot user;
  AnswerWarningAndScan(user);
  AnswerComponentSelection(user);
  Installation run = Install(user, TheOptions().media);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.setupExits, std::vector<DWORD>{0}) << "SETUP.EXE tells a completed installation by its exit code";
  ExpectInstalled(TheOptions().media, kVersion, "2");
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion"), kVersion);
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOemKey)) << "not an OEM copy";
  EXPECT_FALSE(RegText(HKEY_CURRENT_USER, kUserProductKey, "VirusFoundDuringInstall")) << "a clean machine";
  EXPECT_FALSE(user.Saw("Velzor already installed"));
}

// --- Reinstall over an earlier version, keeping it (No) ----------------------------------

TEST_F(Story, ReinstallKeepingThePreviousVersion) {
  InstallPreviousVersion(TheOptions().os);
  Robot user;
  AnswerWarningAndScan(user);
  See(user, MessageBox("Velzor already installed").WithText(kAlreadyInstalledText).WithIcon("information")
                .WithButtons("Cancel|Yes|No"))
      .Answer(IDNO);
  AnswerComponentSelection(user);
  Installation run = Install(user, TheOptions().media);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.setupExits, std::vector<DWORD>{0});
  ExpectInstalled(TheOptions().media, kVersion, "2");
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, VersionKey(kPreviousVersion)))
      << "the kept version's key, named by LastVerInstalled, is deleted";
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, VersionKey(kVersion), "UninstPrevVer"), "0") << "the answer, kept";
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, VersionKey(kVersion), "CalledFromInstall"));
}

// --- Upgrade removing the earlier version (Yes), across a restart ------------------------

// The on-line protection runs, so the removal needs a restart: Windows ends
// every program with a window (SETUP.EXE too) and runs RunOnce, which starts
// SETUP.EXE again from its media; that run's /initsetup takes the recorded
// answer without asking. This program owns no window, so it lives on.
TEST_F(Story, UpgradeRemovingThePreviousVersionAcrossARestart) {
  InstallPreviousVersion(TheOptions().os);
  DWORD protectionPid = 0;
  HANDLE protection = StartProgram(InstallShort() + "NEXOLT.EXE", "", &protectionPid);
  ASSERT_TRUE(protection) << "the on-line protection did not start";
  for (int waited = 0; !FindWindowA(vznexolt::kWindowClass, nullptr) && waited < 10000; waited += 50) Sleep(50);
  ASSERT_TRUE(FindWindowA(vznexolt::kWindowClass, nullptr)) << "the on-line protection is not loaded";

  Robot user;
  AnswerWarningAndScan(user);
  See(user, MessageBox("Velzor already installed").WithText(kAlreadyInstalledText)).Answer(IDYES);
  See(user, MessageBox("Velzor Setup").WithText(kRebootText).WithIcon("information").WithButtons("OK"))
      .Answer(IDOK);
  // After the restart: no warning, no scan, no question.
  AnswerComponentSelection(user);
  Installation run = Install(user, TheOptions().media, 2);
  bool protectionEnded = WaitForSingleObject(protection, 5000) == WAIT_OBJECT_0;
  CloseHandle(protection);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.setupExits.size(), 2u) << "SETUP.EXE was not started again after the restart";
  EXPECT_EQ(run.setupExits[0], 1u) << "the helper ends the installation of the session that restarts";
  EXPECT_EQ(run.setupExits[1], 0u) << "the installation completed after the restart";
  EXPECT_TRUE(protectionEnded) << "the restart ends the on-line protection";
  EXPECT_EQ(CountSeenContaining(user, "other anti-virus"), 1) << "warned once, before the restart";
  EXPECT_EQ(user.CountSeen("Pre-Install Virus Scan"), 1);
  EXPECT_EQ(user.CountSeen("Velzor already installed"), 1) << "the answer is kept across the restart";
  ExpectInstalled(TheOptions().media, kVersion, "2");
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, VersionKey(kPreviousVersion))) << "the uninstaller removed it";
  for (const char* value : {"UninstPrevVer", "CalledFromInstall", "SetupDrv"})
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, VersionKey(kVersion), value)) << value << " is left after the restart";
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunOnceKey, "Velzor Installation"));
}

// --- An OEM copy ---------------------------------------------------------------------

TEST_F(Story, OemCopy) {
  std::string media = MediaCopy("OEMDISK", {{"OEM", "1"}, {"Type", "3"}});
  const std::string details[] = {"Acme Computers Ltd", "support@acme.example", "+1 555 0100", "+1 555 0199"};
  Robot user;
  See(user, Dialog("Original Equipment Manufacturer's Address"))
      .Type(1010, details[0])
      .Type(1013, details[1])
      .Type(1012, details[2])
      .Type(1011, details[3])
      .Click(IDOK);
  AnswerWarningAndScan(user);
  AnswerComponentSelection(user, {.emergencyDiskette = true});
  Installation run = Install(user, media);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.setupExits, std::vector<DWORD>{0});
  ExpectInstalled(media, kVersion, "3");
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOemKey, "OEM Copy"), "1");
  const char* const names[][2] = {{"OEM Name", "Name"}, {"OEM Email", "Email"}, {"OEM Fax", "Fax"}, {"OEM Phone", "Phone"}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Text(HKEY_CURRENT_USER, kOemKey, names[i][0]), details[i]);
    EXPECT_EQ(IniText(PerOsIni(), "OEM", names[i][1]), details[i]);
  }
  EXPECT_TRUE(FileExists("A:\\EMERGNCY.INF")) << "a Type 3 copy writes the Emergency diskette";
}

// --- A virus found before the installation -------------------------------------------

TEST_F(Story, VirusFoundAndDisinfectionOffered) {
  const std::string infected = TestMachine::WindowsFolder() + "SYSTEM\\VZTEST.COM";
  WriteFileBytes(infected, std::string(kTestMarker) + Filler(2000));
  std::string upper = infected;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  Robot user;
  See(user, MessageBox("Warning").Containing("other anti-virus")).Answer(IDOK);
  See(user, Dialog("Pre-Install Virus Scan"));
  See(user, MessageBox("Virus Found").Containing("Found strains of Velzor.Test in " + upper).WithIcon("exclamation"))
      .Answer(IDOK);
  AnswerComponentSelection(user, {.virusFound = true});
  Installation run = Install(user, TheOptions().media);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.setupExits, std::vector<DWORD>{0});
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kUserProductKey, "VirusFoundDuringInstall"), "1");
  ExpectInstalled(TheOptions().media, kVersion, "2");
  std::string report = ReadFileBytes(InstallShort() + "VZ32.LOG").value_or("");
  EXPECT_NE(report.find("VZTEST.COM"), std::string::npos) << "the disinfection scan did not find the file:\n" << report;
}

// --- The outer setup's own uninstaller -------------------------------------------------

// Before /endsetup the uninstall entry holds SETUP.EXE's own command: run as
// UNINST.EXE it removes what the log says it copied, and nothing else.
TEST_F(Story, OuterSetupUninstallsWhatItCopied) {
  const std::string folder = std::string(kInstallFolder) + "\\";
  const std::string uninstaller = TestMachine::WindowsFolder() + "UNINST.EXE";
  WriteFileBytes(folder + "VZ32.EXE", ReadFileBytes(TheOptions().media + "VZ32.EXE").value_or("x"));
  WriteFileBytes(folder + "VZ.INX", ReadFileBytes(TheOptions().media + "VZ.INX").value_or("x"));
  SetFileAttributesA((folder + "VZ.INX").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileBytes(folder + "NOTES.TXT", "the user's own file");
  WriteFileBytes(folder + "SETUP.LOG", "[Files]\r\nVZ32.EXE=\r\nVZ.INX=\r\n");
  ASSERT_TRUE(CopyFileA((TheOptions().media + "SETUP.EXE").c_str(), uninstaller.c_str(), FALSE));
  SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", SetupUninstallCommand());

  Robot user;
  See(user, MessageBox("Velzor Uninstall").Containing(folder).WithIcon("question").WithButtons("Yes|No"))
      .Answer(IDYES);
  See(user, MessageBox("Velzor Uninstall").WithText("The files Setup copied have been removed.")).Answer(IDOK);
  const std::string command = SetupUninstallCommand();
  auto run = RunProgram(uninstaller, command.substr(command.find(" -f") + 1), user, {.timeoutMs = 30000});
  EXPECT_EQ(run.exitCode, 0u);
  for (const char* name : {"VZ32.EXE", "VZ.INX", "SETUP.LOG"}) EXPECT_FALSE(FileExists(folder + name)) << name;
  EXPECT_TRUE(FileExists(folder + "NOTES.TXT")) << "a file it did not copy stays, and so does the folder";
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "its own entry goes";
}

// --- The second operating system of a dual-boot machine --------------------------------

// The first system: the product installed from it as usual.
TEST_F(Story, SecondOsFirstSystem) {
  Robot user;
  AnswerWarningAndScan(user);
  AnswerComponentSelection(user);
  Installation run = RunSetup(TheOptions().media, &user);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.setupExits, std::vector<DWORD>{0});
}

// The other system of the same machine: its drive C: holds the same product
// folder and C:\VZ.INI, and shows the first system's VZ32.INI where C:\VZ.INI
// says it is (see run-story). The helper completes the installation here
// without copying and closes the outer setup.
TEST_F(Story, SecondOsOtherSystem) {
  const char* own = OsName(TheOptions().os);
  const char* first = OsName(TheOptions().os == Os::Windows95 ? Os::WindowsNT : Os::Windows95);
  std::string confirmation = std::string("Setup has found that Velzor was already installed on ") + first +
                             ".\n\nIt will now create icons and update " + own +
                             " registry and other\nsettings so that you can use the same version on " + own;
  std::string logBefore = ReadFileBytes(InstallShort() + "SETUP.LOG").value_or("(none)");
  Robot user;
  See(user, MessageBox("Setup").WithText(confirmation).WithIcon("information").WithButtons("OK|Cancel"))
      .Answer(IDOK);
  EndAnswers answers;
  AnswerComponentSelection(user, answers);
  See(user, MessageBox("Setup").WithText("Velzor has been successfully installed.").WithButtons("OK")).Answer(IDOK);
  Installation run = Install(user, TheOptions().media);
  if (Interactive()) return;
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.setupExits, std::vector<DWORD>{1}) << "the helper closes the outer setup: nothing is copied";
  EXPECT_EQ(CountSeenContaining(user, "other anti-virus"), 0) << "no warning, no scan";
  EXPECT_FALSE(user.Saw("Pre-Install Virus Scan"));
  EXPECT_EQ(ReadFileBytes(InstallShort() + "SETUP.LOG").value_or("(none)"), logBefore) << "files were copied again";

  const std::string install = IniText(kInstallMap, "Path", "Velzor");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Velzor");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), install + "VZUINST.EXE");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"),
            TestMachine::WindowsFolder() + "Uninst.exe  -f\"" + Lower(kInstallFolder) + "\\setup.log\"")
      << "two blanks: the arguments begin with one";
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion"), kVersion);
  EXPECT_EQ(Text(HKEY_USERS, kDefaultUserKey, "LastVerInstalled"), kVersion);
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kUserProductKey, "Type"), "2");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, VersionKey(kVersion), "Name"), kRegisteredOwner);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, VersionKey(kVersion), "Company"), kRegisteredCompany);
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOemKey)) << "the first system's copy is not an OEM copy";
  EXPECT_EQ(IniText(kInstallMap, "Path", own), WindowsFolderAsReported());
  EXPECT_EQ(IniText(kInstallMap, "Path", first), WindowsFolderAsReported());
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, "Velzor On-Line Protection"), install + "NEXOLT.EXE");
  ExpectProgramGroup();
  // The start-up checker goes into AUTOEXEC.BAT on Windows 95 only.
  std::string autoexec = ReadFileBytes(kAutoexec).value_or("");
  if (TheOptions().os == Os::WindowsNT) {
    EXPECT_EQ(autoexec, kAutoexecLines);
  } else {
    EXPECT_EQ(autoexec, install + "VZSTRUP.EXE\r\n" + kAutoexecLines);
  }
}

}  // namespace
