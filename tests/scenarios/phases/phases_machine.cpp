#include "phases_machine.h"

#include <cctype>

#include "nexolt_protocol.h"
#include "product_files.h"

using namespace bench;

namespace phases {

namespace {

const char kExtensionsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Extensions";

// Ends a program of the product left running by an earlier case: its window
// would make the helper wait for the user, and a loaded on-line protection
// would make it restart Windows.
void EndProductProgram(const char* windowClass, const char* title) {
  for (int waited = 0; waited < 5000; waited += 50) {
    HWND window = FindWindowA(windowClass, title);
    if (!window) return;
    PostMessageA(window, WM_CLOSE, 0, 0);
    Sleep(50);
  }
}

bool OnlineProtectionLoaded() {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, vznexolt::kMutexName);
  if (mutex) CloseHandle(mutex);
  return mutex || FindWindowA(vznexolt::kWindowClass, nullptr);
}

// Word counts as absent: the component selection then warns before its dialog.
void ForgetWord() {
  DeleteRegValue(HKEY_CURRENT_USER, kExtensionsKey, "doc");
  DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0");
  WriteProfileStringA("embedding", "WordDocument", nullptr);
}

}  // namespace

void PhasesMachine::SetUp() {
  EndProductProgram(vznexolt::kWindowClass, nullptr);
  for (const char* title : {"VZTileWindow", "Velzor ToolBar", "VZ Scheduler", "Velzor Scheduler"})
    EndProductProgram(nullptr, title);
  ASSERT_FALSE(OnlineProtectionLoaded()) << "the on-line protection is loaded: a removal would restart Windows";
  TestMachine::ClearProductRecords();
  ForgetWord();
  RemoveTree(kRoot);
}

void PhasesMachine::TearDown() {
  TestMachine::ClearProductRecords();
  RemoveTree(kRoot);
}

TestMachine PhasesMachine::Machine(Os os) { return TestMachine::Prepared(os); }

std::string PhasesMachine::Source() {
  std::string folder = ShortPath(TestMachine::MediaFolder());
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string PhasesMachine::InitSetup(const std::string& type, const std::string& oem, const std::string& version) {
  return "/INITSETUP*" + Source() + "*C:\\VELZOR*1*" + type + "*5*" + oem + "*0*x*" + version;
}

std::string PhasesMachine::EndSetup() {
  return "/EndSetup*" + Source() + "*" + kInstallLong.substr(0, kInstallLong.size() - 1);
}

std::string PhasesMachine::MakeInstallFolder() {
  CopyFromMedia(kInstallLong, InstalledProductFiles());
  return InstallFolder();
}

std::string PhasesMachine::InstallFolder() {
  std::string folder = ShortPath(kInstallLong);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string PhasesMachine::OwnWindows() {
  std::string folder = TestMachine::WindowsFolder();
  folder.pop_back();
  return folder;
}

void PhasesMachine::RecordSystem(const char* systemName, const std::string& windowsFolder, const char* version) {
  WritePrivateProfileStringA("Path", systemName, windowsFolder.c_str(), kInstallMap);
  MakeFolders(windowsFolder + "\\");
  WritePrivateProfileStringA("Info", "Version", version, (windowsFolder + "\\VZ32.INI").c_str());
}

void PhasesMachine::InstallPreviousVersion(bool withUninstaller, const char* lastVersion) {
  SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Velzor");
  SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", kPrevious + "VZUINST.EXE");
  SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "UninstPath", "c:\\windows\\uninst.exe -f " + Lower(kPrevious) + "install.log");
  SetRegText(HKEY_LOCAL_MACHINE, kProductKey, "CurrentVersion", kOldVersion);
  SetRegText(HKEY_USERS, kDefaultUserKey, "LastVerInstalled", lastVersion);
  SetRegText(HKEY_LOCAL_MACHINE, kOldVersionKey, "Company", "Orvanto Users Ltd");
  SetRegText(HKEY_LOCAL_MACHINE, kOldVersionKey, "Name", "Pat Example");
  for (const char* name : {"VZ95.EXE", "VZ.INX", "VZ32.EXE"})
    WriteFileBytes(kPrevious + name, std::string("previous ") + name);
  if (withUninstaller) CopyFromMedia(kPrevious, {"VZUINST.EXE"});
}

void PhasesMachine::ExpectWarningAndScan(Robot& user) {
  user.Expect(MessageBox("Warning").WithText(kWarningText).WithIcon("exclamation").WithButtons("OK|Cancel"))
      .Answer(IDOK);
  user.Expect(Dialog(kScanCaption));
}

void PhasesMachine::ExpectComponentSelection(Robot& user, Os os, const std::string& type,
                                             std::function<void(HWND, Robot&)> atStart) {
  constexpr int kShellExtensionsBox = 1024;
  Step& wordWarning = user.Expect(MessageBox("Warning").Containing("Could not locate MS-Word"));
  if (atStart) wordWarning.Do(std::move(atStart), "look around");
  wordWarning.Answer(IDOK);
  user.Expect(Dialog("Select Components to Install")).SetCheck(kShellExtensionsBox, false).Click(IDOK);
  user.Expect(Dialog("Setup")).Click(IDOK);
  if (os == Os::Windows95 || type == "3") user.Expect(MessageBox("No Floppy Drive Detected")).Answer(IDOK);
  user.Expect(MessageBox("Schedule Velzor Scanner")).Answer(IDNO);
}

std::string IniText(const std::string& file, const char* section, const char* key) {
  char value[1024] = "";
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, file.c_str());
  return value;
}

std::string Reg(HKEY root, const std::string& key, const char* name) {
  return RegText(root, key, name).value_or("(none)");
}

std::string FirstLine(const std::string& path) {
  std::string text = ReadFileBytes(path).value_or("");
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace phases
