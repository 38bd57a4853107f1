// VZUINST.EXE, the product's uninstaller: the files it removes from its own
// folder and the records it removes from this system, run by the user and run
// by a setup that removes the previous version.
#include <gtest/gtest.h>

#include <memory>

#include "machine.h"
#include "programs_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace programs;

namespace {

const char kProductKey[] = "SOFTWARE\\Orvanto\\Velzor";
const char kUserProductKey[] = "Software\\Orvanto\\Velzor";
const char kDefaultUserKey[] = ".Default\\Software\\Orvanto\\Velzor";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kSessionKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kRunValues[] = {"Velzor Scheduler", "Velzor ToolBar", "Velzor On-Line Protection", "VZFW"};
const char* const kProductFiles[] = {"VZ32.EXE", "VZ95.EXE", "VZ.INX", "VZSTRUP.EXE", "VZCHK.INF", "NEXOLT.SYS",
                                     "VZ32.CNF", "misc.dll"};
const char kUserFile[] = "LETTER.DOC";

class Uninstaller : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    DeleteRegValue(HKEY_LOCAL_MACHINE, kSessionKey, "PendingFileRenameOperations");
    folder_ = InstallFromMedia("VELZOR", {"VZUINST.EXE"});
    for (const char* name : kProductFiles) WriteFileBytes(folder_ + name, name);
    SetReadOnly(folder_ + "NEXOLT.SYS");
    WriteFileBytes(folder_ + kUserFile, "the user's own letter");
    SetProgramOs("VZUINST.EXE", Os::WindowsNT);

    // The installed version 4.0, and a setup of 5.0 running.
    SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", folder_ + "vzuinst.exe");
    SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion", "4.0");
    SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", "c:\\windows\\uninst.exe -f " + folder_ + "data.log");
    SetRegText(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\4.0", "Company", "Orvanto");
    SetRegText(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\5.0", "UninstPrevVer", "1");
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", "5.0");
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "Type", "2");
    SetRegText(HKEY_USERS, kDefaultUserKey, "LastVerInstalled", "4.0");
    for (const char* value : kRunValues) SetRegText(HKEY_LOCAL_MACHINE, kRunKey, value, folder_ + "VZ32.EXE");
    // Shell verbs: the program files', the ARJ type the product made up, a ZIP type of another program.
    SetRegText(HKEY_CLASSES_ROOT, "exefile\\shell\\Velzor Scan\\command", "", folder_ + "VZ32.EXE /Vz32Scan%1");
    SetRegText(HKEY_CLASSES_ROOT, ".ARJ", "", "vzcomp");
    SetRegText(HKEY_CLASSES_ROOT, "vzcomp\\shell\\Velzor Scan\\command", "", folder_ + "VZ32.EXE /Vz32Scan%1");
    SetRegText(HKEY_CLASSES_ROOT, ".ZIP", "", "VzTestZip");
    SetRegText(HKEY_CLASSES_ROOT, "VzTestZip\\shell\\Velzor Scan\\command", "", folder_ + "VZ32.EXE /Vz32Scan%1");
    SetRegText(HKEY_CLASSES_ROOT, "VzTestZip\\shell\\open\\command", "", "unzip.exe %1");
    WriteFileBytes(TestMachine::WindowsFolder() + "VZ32.INI", "[Info]\r\nVersion=4.0\r\n");
  }

  void TearDown() override {
    DeleteRegValue(HKEY_LOCAL_MACHINE, kSessionKey, "PendingFileRenameOperations");
    for (const char* key : {"exefile\\shell\\Velzor Scan", "vzcomp", "VzTestZip", ".ZIP", ".ARJ"})
      DeleteRegTree(HKEY_CLASSES_ROOT, key);
  }

  static void MapInstall(bool otherSystemToo) {
    std::string map = "[Path]\r\nVelzor=C:\\VZTEST\\VELZOR\\\r\nWindows NT=C:\\windows\r\n";
    if (otherSystemToo) map += "Windows 95=D:\\WIN95\r\n";
    WriteFileBytes("C:\\VZ.INI", map);
  }

  static void SetupIsRunning() {
    SetRegText(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\5.0", "CalledFromInstall", "1");
  }

  RunResult Run(Robot& user) { return RunIn(folder_, "VZUINST.EXE", "", user, {.timeoutMs = 30000}); }

  void ExpectProductFilesGone(const char* except = nullptr) {
    for (const char* name : kProductFiles)
      EXPECT_EQ(FileExists(folder_ + name), except && std::string(name) == except) << name;
    EXPECT_TRUE(FileExists(folder_ + kUserFile)) << "a file of the user's is never removed";
  }

  static void ExpectSystemRecordsGone() {
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    for (const char* value : kRunValues) EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, value)) << value;
    EXPECT_FALSE(RegKeyExists(HKEY_USERS, kDefaultUserKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "exefile\\shell\\Velzor Scan"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "vzcomp"));
    EXPECT_FALSE(RegText(HKEY_CLASSES_ROOT, ".ARJ", "")) << "the ARJ type the product made up";
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "VzTestZip\\shell\\Velzor Scan"));
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, ".ZIP", "").value_or(""), "VzTestZip") << "another program's type stays";
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "VzTestZip\\shell\\open\\command"));
  }

  std::string folder_;
};

TEST_F(Uninstaller, TheUserRemovesVelzor) {
  MapInstall(true);
  HANDLE toolbar = StartProgram(TestMachine::MediaFolder() + "TOOLBAR.EXE", "");
  HANDLE protection = StartProgram(TestMachine::MediaFolder() + "NEXOLT.EXE", "");
  for (int waited = 0; waited < 10000 && !(FindWindowA(nullptr, "Velzor ToolBar") &&
                                           FindWindowA("VelzorOnLineProtection", nullptr));
       waited += 50)
    Sleep(50);
  Robot user;
  user.Expect(MessageBox("Velzor Uninstall").Containing(folder_).WithIcon("question").WithButtons("Yes|No"))
      .Answer(IDYES);
  user.Expect(MessageBox("Velzor Uninstall").WithText("Velzor has been removed from this computer.")).Answer(IDOK);
  auto run = Run(user);
  EXPECT_EQ(run.exitCode, 0u);
  for (HANDLE program : {toolbar, protection}) {
    EXPECT_EQ(WaitForSingleObject(program, 5000), WAIT_OBJECT_0) << "the tool bar and the protection were asked to close";
    TerminateProcess(program, 0xDEAD);
    CloseHandle(program);
  }
  ExpectProductFilesGone();
  ExpectSystemRecordsGone();
  EXPECT_FALSE(FileExists(TestMachine::WindowsFolder() + "VZ32.INI"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kUserProductKey));
  EXPECT_EQ(TextOf("C:\\VZ.INI").find("Windows NT"), std::string::npos) << "this system's entry is removed";
  EXPECT_NE(TextOf("C:\\VZ.INI").find("Windows 95=D:\\WIN95"), std::string::npos) << "the other system's stays";
  EXPECT_TRUE(FileExists(folder_ + "VZUINST.EXE")) << "it cannot remove itself while it runs";
  EXPECT_NE(RegText(HKEY_LOCAL_MACHINE, kSessionKey, "PendingFileRenameOperations").value_or("").find(folder_ + "VZUINST.EXE"),
            std::string::npos)
      << "its own file goes at the next start of Windows";
}

TEST_F(Uninstaller, TheUserDeclines) {
  Robot user;
  user.Expect(MessageBox("Velzor Uninstall")).Answer(IDNO);
  auto run = Run(user);
  EXPECT_EQ(run.exitCode, 2u);
  for (const char* name : kProductFiles) EXPECT_TRUE(FileExists(folder_ + name)) << name;
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_TRUE(RegText(HKEY_USERS, kDefaultUserKey, "LastVerInstalled"));
}

// Run by a setup: nothing is shown, and what the setup keeps for itself stays.
TEST_F(Uninstaller, ASetupRemovesThePreviousVersion) {
  MapInstall(false);
  SetupIsRunning();
  // What the running setup wrote to this system's VZ32.INI before the removal.
  const std::string perOsIni = TestMachine::WindowsFolder() + "VZ32.INI";
  WritePrivateProfileStringA("Info", "Type", "3", perOsIni.c_str());
  WritePrivateProfileStringA("OEM", "Name", "Acme", perOsIni.c_str());
  Robot user;
  auto run = Run(user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  ExpectProductFilesGone();
  ExpectSystemRecordsGone();
  EXPECT_EQ(TextOf(perOsIni).find("Version="), std::string::npos) << "the previous version's entries go";
  EXPECT_NE(TextOf(perOsIni).find("Type=3"), std::string::npos) << "the running setup's Type stays";
  EXPECT_NE(TextOf(perOsIni).find("Name=Acme"), std::string::npos) << "the running setup's OEM details stay";
  EXPECT_FALSE(FileExists("C:\\VZ.INI")) << "no other system's entry was left";
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion"));
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\4.0"));
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\5.0", "CalledFromInstall").value_or(""), "1");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion").value_or(""), "5.0");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kUserProductKey, "Type").value_or(""), "2");
  EXPECT_TRUE(FileExists(folder_ + "VZUINST.EXE")) << "the new version brings its own uninstaller";
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kSessionKey, "PendingFileRenameOperations"));
}

TEST_F(Uninstaller, AFileInUseIsLeftAndReported) {
  SetupIsRunning();
  FileLock inUse(folder_ + "VZ95.EXE");
  ASSERT_TRUE(inUse.held());
  Robot user;
  auto run = Run(user);
  EXPECT_EQ(run.exitCode, 1u);
  ExpectProductFilesGone("VZ95.EXE");
}

}  // namespace
