// Rescue and Emergency diskettes, on pristine machines with their own
// diskette drives: the drive dialog, the loop that asks again, the rescue
// library writing this machine's rescue information and the Emergency
// diskette's files, and the current directory left as it was.
//
// Each suite runs on the machine its ctest entry makes (see CMakeLists.txt):
//   NoDisketteDrive  neither A: nor B:
//   OnlyDriveB       B: only
//   BothDrives       A: and B:
//   DriveNotReady    A: never ready; B: ready once the test puts a diskette in
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "machine.h"
#include "robot.h"

using namespace bench;

namespace {

const std::string kInstall = "C:\\VELZOR\\";
const std::string kReport = "C:\\diskettes_report.txt";
const std::string kStartFolder = "C:\\windows";

const char kNoDriveText[] =
    "No floppy drive detected to save rescue information.\nSetup cannot save rescue information.";
const char kPlainDriveText[] =
    "Select the target drive for creating the Rescue diskette.  If you choose Cancel,  you can create it after "
    "installation from within the Velzor scanner.";
const char kType3DriveText[] =
    "Select the target drive for creating Emergency/ Rescue diskettes.  If you choose Cancel, you can create them "
    "after installation from within the Velzor scanner.";

std::string InsertRescueText(char letter) {
  return std::string("Setup is now ready to create a Rescue diskette.\nInsert the diskette in drive ") + letter +
         " and press OK to continue.";
}

std::string InsertEmergencyText(char letter) {
  return std::string("Setup is now ready to create an Emergency diskette.\nInsert the diskette in drive ") + letter +
         " and press OK to continue.";
}

void ClearDisk(char letter) {
  std::string root = std::string(1, letter) + ":\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((root + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(root + name);
    else DeleteFileA((root + name).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The product as installed: the rescue library and the files of an
// Emergency diskette (made-up contents: the library only copies them).
void InstallProduct(bool withLibrary = true, bool withSignatures = true) {
  RemoveTree(kInstall);
  MakeFolders(kInstall);
  if (withLibrary) CopyFileA((TestMachine::BinFolder() + "VZRESCUE.DLL").c_str(), (kInstall + "VZRESCUE.DLL").c_str(), FALSE);
  WriteFileBytes(kInstall + "VZ32.EXE", "scanner program bytes");
  WriteFileBytes(kInstall + "SIGSCAN.DLL", "signature library bytes");
  if (withSignatures) WriteFileBytes(kInstall + "VZ.INX", "signature index bytes");
}

void SetType(const char* type) {
  if (type) SetRegText(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "Type", type);
  else DeleteRegValue(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "Type");
}

struct Outcome {
  RunResult run;
  std::string report;
};

// Runs CreateDiskettes with the chosen diskettes, from C:\windows.
Outcome CreateDiskettes(const std::string& chosen, Robot& user) {
  DeleteFileA(kReport.c_str());
  Outcome out;
  out.run = RunProgram(TestMachine::BinFolder() + "vzops.exe",
                       "--install " + kInstall + " CreateDiskettes " + chosen + " report=" + kReport, user,
                       {.timeoutMs = 60000, .workingFolder = kStartFolder});
  out.report = ReadFileBytes(kReport).value_or("(no report)");
  return out;
}

void ExpectDirectoryKept(const Outcome& out) {
  EXPECT_NE(out.report.find("before=" + kStartFolder + "\n"), std::string::npos) << out.report;
  EXPECT_NE(out.report.find("after=" + kStartFolder + "\n"), std::string::npos) << out.report;
}

std::string IniValue(const std::string& file, const char* section, const char* key) {
  char value[512] = "";
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, file.c_str());
  return value;
}

bool HasRescueFiles(char letter) {
  std::string root = std::string(1, letter) + ":\\";
  return FileExists(root + "PART.INF") && FileExists(root + "BOOT.INF") && FileExists(root + "CMOS.INF");
}

// --- Neither A: nor B: ---------------------------------------------------------

TEST(NoDisketteDrive, TheDriveDialogEndsAtOnceWithItsMessage) {
  InstallProduct();
  Robot user;
  user.Expect(MessageBox("No Floppy Drive Detected").WithText(kNoDriveText).WithIcon("none").WithButtons("OK"))
      .Answer(IDOK);
  auto out = CreateDiskettes("rescue emergency", user);
  EXPECT_EQ(user.CountSeen("Select Drive"), 0) << user.Transcript();
  EXPECT_EQ(user.Seen().size(), 1u) << user.Transcript();
  EXPECT_NE(out.report.find("drive=-1"), std::string::npos);
  ExpectDirectoryKept(out);
}

// --- B: only -----------------------------------------------------------------------

TEST(OnlyDriveB, DriveBIsCheckedAndTheRescueDisketteIsWrittenThere) {
  InstallProduct();
  SetType(nullptr);
  ClearDisk('B');
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDOK);
  user.Expect(MessageBox("Insert Rescue Diskette").WithText(InsertRescueText('B')).WithButtons("OK")).Answer(IDOK);
  user.Expect(Dialog("Rescue Disk Created")).Click(IDOK);
  auto out = CreateDiskettes("rescue", user);

  auto dialog = user.Find("Select Drive");
  ASSERT_NE(dialog.Control(1005), nullptr);
  EXPECT_FALSE(dialog.Control(1005)->visible) << "Drive A is hidden";
  EXPECT_TRUE(dialog.Control(1006)->visible);
  EXPECT_EQ(dialog.Control(1006)->check, 1);
  EXPECT_EQ(dialog.Control(1025)->text, kPlainDriveText);
  EXPECT_TRUE(HasRescueFiles('B'));
  EXPECT_NE(out.report.find("drive=1"), std::string::npos);
  ExpectDirectoryKept(out);
}

// The rescue information is this machine's: the system disk's geometry and
// the system volume as the system reports them to anyone who asks.
TEST(OnlyDriveB, TheRescueInformationDescribesThisMachinesSystemDisk) {
  ASSERT_TRUE(HasRescueFiles('B')) << "runs after the rescue diskette was written";
  std::string part = "B:\\PART.INF", boot = "B:\\BOOT.INF", cmos = "B:\\CMOS.INF";
  for (const auto& [file, name] : {std::pair{part, "PART.INF"}, {boot, "BOOT.INF"}, {cmos, "CMOS.INF"}}) {
    EXPECT_EQ(IniValue(file, "Rescue", "File"), name);
    EXPECT_EQ(IniValue(file, "Rescue", "Format"), "1");
    EXPECT_EQ(IniValue(file, "Rescue", "SystemDrive"), "C:");
  }

  HANDLE disk = CreateFileA("\\\\.\\PhysicalDrive0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(disk, INVALID_HANDLE_VALUE);
  DISK_GEOMETRY geometry{};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned,
                              nullptr));
  CloseHandle(disk);
  EXPECT_EQ(IniValue(part, "Disk", "Device"), "\\\\.\\PhysicalDrive0");
  EXPECT_EQ(IniValue(part, "Disk", "Cylinders"), std::to_string(geometry.Cylinders.QuadPart));
  EXPECT_EQ(IniValue(part, "Disk", "SectorsPerTrack"), std::to_string(geometry.SectorsPerTrack));
  EXPECT_NE(IniValue(part, "MasterBootRecord", "Read"), "(none)") << "read, or recorded as unreadable";

  DWORD serial = 0;
  char fileSystem[64] = "";
  ASSERT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, fileSystem, sizeof fileSystem));
  char serialText[16];
  snprintf(serialText, sizeof serialText, "%08lX", serial);
  EXPECT_EQ(IniValue(boot, "Volume", "Serial"), serialText);
  EXPECT_EQ(IniValue(boot, "Volume", "FileSystem"), fileSystem);

  EXPECT_EQ(IniValue(cmos, "Diskettes", "A"), "none");
  EXPECT_EQ(IniValue(cmos, "Diskettes", "B"), "removable");
  MEMORYSTATUSEX memory{sizeof memory};
  GlobalMemoryStatusEx(&memory);
  EXPECT_EQ(IniValue(cmos, "Memory", "TotalKB"), std::to_string(memory.ullTotalPhys / 1024));
}

// --- A: and B: ---------------------------------------------------------------------

TEST(BothDrives, DriveAIsCheckedAndType3SpeaksOfEmergencyDiskettes) {
  InstallProduct();
  SetType("3");
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDCANCEL);
  auto out = CreateDiskettes("rescue emergency", user);
  auto dialog = user.Find("Select Drive");
  ASSERT_NE(dialog.Control(1005), nullptr);
  EXPECT_TRUE(dialog.Control(1005)->visible);
  EXPECT_EQ(dialog.Control(1005)->check, 1);
  EXPECT_TRUE(dialog.Control(1006)->visible);
  EXPECT_EQ(dialog.Control(1006)->check, 0);
  EXPECT_EQ(dialog.Control(1025)->text, kType3DriveText);
  EXPECT_TRUE(dialog.HasCloseBox());
  EXPECT_EQ(user.Seen().size(), 1u) << "Cancel ends the loop\n" << user.Transcript();
  EXPECT_NE(out.report.find("drive=-1"), std::string::npos);
  ExpectDirectoryKept(out);
}

TEST(BothDrives, TheCloseBoxCancelsTooAndOtherTypesKeepThePlainText) {
  InstallProduct();
  SetType("2");
  Robot user;
  user.Expect(Dialog("Select Drive")).Close();
  auto out = CreateDiskettes("rescue", user);
  EXPECT_EQ(user.Find("Select Drive").Control(1025)->text, kPlainDriveText);
  EXPECT_EQ(user.Seen().size(), 1u) << user.Transcript();
  ExpectDirectoryKept(out);
}

TEST(BothDrives, RescueAndEmergencyDiskettesAreWrittenOnTheChosenDrive) {
  InstallProduct();
  SetType("3");
  ClearDisk('B');
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(1006).Click(IDOK);
  user.Expect(MessageBox("Insert Rescue Diskette").WithText(InsertRescueText('B'))).Answer(IDOK);
  // The confirmation ends only through OK: Esc and the close box leave it open.
  user.Expect(Dialog("Rescue Disk Created")).PressEsc().Close().StaysOpen().Click(IDOK);
  user.Expect(MessageBox("Insert Emergency Diskette").WithText(InsertEmergencyText('B')).WithIcon("none"))
      .Answer(IDOK);
  auto out = CreateDiskettes("rescue emergency", user);

  EXPECT_TRUE(HasRescueFiles('B'));
  EXPECT_EQ(ReadFileBytes("B:\\VZ32.EXE").value_or(""), "scanner program bytes");
  EXPECT_EQ(ReadFileBytes("B:\\SIGSCAN.DLL").value_or(""), "signature library bytes");
  EXPECT_EQ(ReadFileBytes("B:\\VZ.INX").value_or(""), "signature index bytes");
  EXPECT_TRUE(FileExists("B:\\README.TXT"));
  EXPECT_EQ(IniValue("B:\\EMERGNCY.INF", "Files", "Count"), "3");
  EXPECT_EQ(IniValue("B:\\EMERGNCY.INF", "Files", "File3"), "VZ.INX,21,02BBE4E3");
  EXPECT_FALSE(HasRescueFiles('A')) << "nothing on the drive not chosen";
  auto done = user.Find("Rescue Disk Created");
  EXPECT_TRUE(done.HasCloseBox());
  ASSERT_NE(done.Control(IDOK), nullptr);
  ExpectDirectoryKept(out);
}

TEST(BothDrives, AFailedEmergencyDisketteAsksAgainWithoutRepeatingTheRescue) {
  InstallProduct(/*withLibrary=*/true, /*withSignatures=*/false);
  SetType("3");
  ClearDisk('A');
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDOK);
  user.Expect(MessageBox("Insert Rescue Diskette").WithText(InsertRescueText('A'))).Answer(IDOK);
  user.Expect(Dialog("Rescue Disk Created")).Click(IDOK);
  user.Expect(MessageBox("Insert Emergency Diskette")).Answer(IDOK);
  user.Expect(MessageBox("Emergency Diskette").Containing("VZ.INX is missing")).Answer(IDOK);
  user.Expect(Dialog("Select Drive")).Click(IDCANCEL);
  auto out = CreateDiskettes("rescue emergency", user);
  EXPECT_EQ(user.CountSeen("Insert Rescue Diskette"), 1) << user.Transcript();
  EXPECT_TRUE(HasRescueFiles('A'));
  EXPECT_FALSE(FileExists("A:\\EMERGNCY.INF"));
  ExpectDirectoryKept(out);
}

// Without the library nothing can be written, but what an old rescue
// diskette held is gone all the same; a rescue that gave 0 is tried again
// when the failed emergency diskette brings the drive dialog back.
TEST(BothDrives, OldFilesGoEvenWhenTheLibraryIsMissingAndAFailedRescueIsTriedAgain) {
  InstallProduct(/*withLibrary=*/false);
  SetType("3");
  ClearDisk('A');
  for (const char* name : {"A:\\PART.INF", "A:\\BOOT.INF", "A:\\CMOS.INF"}) WriteFileBytes(name, "old rescue data");
  WriteFileBytes("A:\\NOTES.TXT", "the user's own file");
  const char* loadText = "Could not load VZRESCUE.DLL.\nCall for technical support.";
  Robot user;
  for (int round = 0; round < 2; ++round) {
    user.Expect(Dialog("Select Drive")).Click(IDOK);
    user.Expect(MessageBox("Insert Rescue Diskette")).Answer(IDOK);
    user.Expect(MessageBox("Error").WithText(loadText).WithButtons("OK")).Answer(IDOK);
    user.Expect(MessageBox("Insert Emergency Diskette")).Answer(IDOK);
    user.Expect(MessageBox("Error").WithText(loadText)).Answer(IDOK);
  }
  user.Expect(Dialog("Select Drive")).Click(IDCANCEL);
  auto out = CreateDiskettes("rescue emergency", user);
  EXPECT_FALSE(FileExists("A:\\PART.INF"));
  EXPECT_FALSE(FileExists("A:\\BOOT.INF"));
  EXPECT_FALSE(FileExists("A:\\CMOS.INF"));
  EXPECT_EQ(ReadFileBytes("A:\\NOTES.TXT").value_or(""), "the user's own file");
  ExpectDirectoryKept(out);
}

TEST(BothDrives, ALibraryWithoutTheExportIsReportedAsCorrupt) {
  InstallProduct(/*withLibrary=*/false);
  // Another DLL under the library's name: it loads, but has no RescueCreate.
  CopyFileA((TestMachine::BinFolder() + "Registry.dll").c_str(), (kInstall + "VZRESCUE.DLL").c_str(), FALSE);
  SetType(nullptr);
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDOK);
  user.Expect(MessageBox("Insert Rescue Diskette")).Answer(IDOK);
  user.Expect(MessageBox("Error").WithText("Invalid or corrupt VZRESCUE.DLL.\nCan not proceed...")).Answer(IDOK);
  auto out = CreateDiskettes("rescue", user);
  EXPECT_EQ(user.Seen().size(), 3u) << "a rescue that gave 0 ends the loop when no emergency is pending\n"
                                    << user.Transcript();
  ExpectDirectoryKept(out);
}

// A diskette the library cannot write to (here PART.INF is a folder on it):
// the library says so and nothing of a half rescue set stays.
TEST(BothDrives, ARescueDisketteThatCannotBeWrittenIsReportedByTheLibrary) {
  InstallProduct();
  ClearDisk('A');
  MakeFolders("A:\\PART.INF\\");
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDOK);
  user.Expect(MessageBox("Insert Rescue Diskette")).Answer(IDOK);
  user.Expect(MessageBox("Rescue Diskette").Containing("could not be written to drive A:")).Answer(IDOK);
  auto out = CreateDiskettes("rescue", user);
  EXPECT_FALSE(user.Saw("Rescue Disk Created"));
  EXPECT_FALSE(FileExists("A:\\BOOT.INF"));
  EXPECT_FALSE(FileExists("A:\\CMOS.INF"));
  ExpectDirectoryKept(out);
  RemoveTree("A:\\PART.INF");
}

// --- A: never ready, B: ready once a diskette is put in ----------------------------

TEST(DriveNotReady, ARescueOnADriveThatIsNotReadyIsNotTriedAgain) {
  InstallProduct();
  Robot user;
  user.Expect(Dialog("Select Drive")).Click(IDOK);  // Drive A, checked
  user.Expect(MessageBox("Insert Rescue Diskette").WithText(InsertRescueText('A'))).Answer(IDOK);
  user.Expect(Dialog("Select Drive")).Click(IDOK);
  auto out = CreateDiskettes("rescue", user);
  EXPECT_EQ(user.CountSeen("Insert Rescue Diskette"), 1) << user.Transcript();
  EXPECT_EQ(user.Seen().size(), 3u) << user.Transcript();
  ExpectDirectoryKept(out);
}

TEST(DriveNotReady, TheDriveIsReadOnlyWhenADisketteIsIn) {
  Robot user;
  auto vzops = TestMachine::BinFolder() + "vzops.exe";
  EXPECT_EQ(RunProgram(vzops, "IsDriveReadable 0", user).exitCode, 0u);
  EXPECT_EQ(RunProgram(vzops, "IsDriveReadable 2", user).exitCode, 1u) << "C:";
}

TEST(DriveNotReady, CancelGivesUpWaitingForTheDiskette) {
  Robot user;
  user.Expect(MessageBox("Drive not ready")
                  .WithText("Cannot read drive A.\n\nPlease verify the drive door is closed and that\nthe disk is "
                            "formatted and free of errors.")
                  .WithIcon("exclamation")
                  .WithButtons("Cancel|Retry"))
      .Answer(IDCANCEL);
  EXPECT_EQ(RunProgram(TestMachine::BinFolder() + "vzops.exe", "WaitForDiskette 0", user).exitCode, 2u);
}

TEST(DriveNotReady, RetryFindsTheDisketteOnceItIsIn) {
  const char* disks = std::getenv("VZ_DISKS");
  ASSERT_NE(disks, nullptr);
  std::string folder = std::string("Z:") + disks + "/b";
  for (char& c : folder)
    if (c == '/') c = '\\';
  RemoveTree(folder);
  Robot user;
  user.Expect(MessageBox("Drive not ready").Containing("Cannot read drive B.")).Answer(IDRETRY);
  user.Expect(MessageBox("Drive not ready"))
      .Do([folder](HWND, Robot&) { MakeFolders(folder + "\\"); }, "put the diskette in")
      .Answer(IDRETRY);
  EXPECT_EQ(RunProgram(TestMachine::BinFolder() + "vzops.exe", "WaitForDiskette 1", user).exitCode, 1u);
}

}  // namespace
