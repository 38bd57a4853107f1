// The Program Manager group "Velzor": the DDE commands the helper sends, as a
// stand-in Program Manager records them, and the group Wine's own Program
// Manager builds from them in the Start Menu.
//
// Wine's desktop process serves "PROGMAN" on the interactive window station.
// The recorder runs where nothing else answers: a window station of its own
// without a shell, on which Wine starts no desktop process. The helper's
// operation runs there too, in vzops.exe, as the only client.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;

namespace {

constexpr char kStation[] = "VzProgmanBench";
constexpr char kDesktop[] = "VzProgmanBench\\Desktop";

// A window station without a shell, with one desktop.
class ShelllessDesktop {
 public:
  ShelllessDesktop() {
    station_ = CreateWindowStationA(kStation, 0, WINSTA_ALL_ACCESS, nullptr);
    HWINSTA own = GetProcessWindowStation();
    if (station_ && SetProcessWindowStation(station_)) {
      desktop_ = CreateDesktopA("Desktop", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
      SetProcessWindowStation(own);
    }
  }
  ~ShelllessDesktop() {
    if (desktop_) CloseDesktop(desktop_);
    if (station_) CloseWindowStation(station_);
  }
  bool ready() const { return station_ && desktop_; }

  // Starts a program on this desktop.
  HANDLE Start(const std::string& exePath, const std::string& arguments) {
    std::string commandLine = "\"" + exePath + "\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    std::string desktop = kDesktop;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.lpDesktop = desktop.data();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
  }

  // Runs one helper operation in vzops.exe on this desktop; its exit code.
  DWORD RunOperation(const std::string& arguments) {
    HANDLE process = Start(TestMachine::BinFolder() + "vzops.exe", arguments);
    EXPECT_TRUE(process) << "vzops.exe " << arguments;
    if (!process) return 0xFFFF;
    DWORD exitCode = 0xFFFF;
    if (WaitForSingleObject(process, 30000) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "vzops.exe " << arguments << " did not end";
      TerminateProcess(process, 0xDEAD);
    }
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return exitCode;
  }

 private:
  HWINSTA station_ = nullptr;
  HDESK desktop_ = nullptr;
};

// The stand-in Program Manager on the shellless desktop, recording commands.
class Recorder {
 public:
  explicit Recorder(ShelllessDesktop& desktop) : log_(ScratchFolder("PROGMAN") + "commands.log") {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, "VzProgmanRecorderReady");
    stop_ = CreateEventA(nullptr, TRUE, FALSE, "VzProgmanRecorderStop");
    process_ = desktop.Start(TestMachine::BinFolder() + "progman_recorder.exe",
                             log_ + " VzProgmanRecorderReady VzProgmanRecorderStop");
    HANDLE waits[] = {ready_, process_};
    running_ = process_ && WaitForMultipleObjects(2, waits, FALSE, 10000) == WAIT_OBJECT_0;
  }
  ~Recorder() {
    SetEvent(stop_);
    if (process_) {
      if (WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) TerminateProcess(process_, 0);
      CloseHandle(process_);
    }
    CloseHandle(ready_);
    CloseHandle(stop_);
  }
  bool running() const { return running_; }

  // The commands received so far, in order.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    std::istringstream lines(ReadFileBytes(log_).value_or(""));
    for (std::string line; std::getline(lines, line);) commands.push_back(line);
    return commands;
  }

 private:
  std::string log_;
  HANDLE ready_, stop_, process_ = nullptr;
  bool running_ = false;
};

TEST(ProgramGroup, ThirteenCommandsRebuildTheGroup) {
  ShelllessDesktop desktop;
  ASSERT_TRUE(desktop.ready());
  Recorder progman(desktop);
  ASSERT_TRUE(progman.running());

  EXPECT_EQ(desktop.RunOperation("--install C:\\VZ\\ BuildProgramGroup"), 0u);

  EXPECT_EQ(progman.Commands(), (std::vector<std::string>{
                                    "[DeleteGroup(Velzor)]",
                                    "[CreateGroup(Velzor)]",
                                    "[ShowGroup(Velzor,1)]",
                                    "[AddItem(C:\\VZ\\VZ32.EXE,Velzor)]",
                                    "[ShowGroup(Velzor,1)]",
                                    "[AddItem(C:\\VZ\\NEXOLT.EXE,Online Protection)]",
                                    "[ShowGroup(Velzor,1)]",
                                    "[AddItem(C:\\VZ\\TOOLBAR.EXE,Tool Bar)]",
                                    "[ShowGroup(Velzor,1)]",
                                    "[AddItem(C:\\VZ\\VZSCHED.EXE,Scheduler)]",
                                    "[ShowGroup(Velzor,1)]",
                                    "[AddItem(C:\\VZ\\VZUINST.EXE,Uninstall)]",
                                    "[ShowGroup(Velzor,1)]",
                                }));
}

struct CommandCase {
  const char* name;
  std::string operation;           // vzops.exe arguments
  std::optional<std::string> sent;  // nullopt: nothing sent, result 0
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

const std::string k240(240, 'G');  // "[ShowGroup(" + 240 + ",1)]" is 255 characters: the buffer's last
const std::string k241(241, 'G');

class ProgmanCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ProgmanCommand, IsSentOnlyWhenItFitsItsBuffer) {
  ShelllessDesktop desktop;
  ASSERT_TRUE(desktop.ready());
  Recorder progman(desktop);
  ASSERT_TRUE(progman.running());

  DWORD result = desktop.RunOperation(GetParam().operation);

  EXPECT_EQ(result, GetParam().sent ? 1u : 0u);
  EXPECT_EQ(progman.Commands(), GetParam().sent ? std::vector<std::string>{*GetParam().sent}
                                                : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, ProgmanCommand,
    ::testing::Values(
        CommandCase{"ShowGroupOf255", "ProgmanShowGroup " + k240 + " 1", "[ShowGroup(" + k240 + ",1)]"},
        CommandCase{"ShowGroupOf256", "ProgmanShowGroup " + k241 + " 1", std::nullopt},
        CommandCase{"CreateGroupWithAFile", "ProgmanCreateGroup Velzor VELZOR.GRP", "[CreateGroup(Velzor,VELZOR.GRP)]"},
        CommandCase{"AddItemWithAnIcon", "ProgmanAddItem C:\\VZ\\VZ32.EXE Velzor C:\\VZ\\VZ32.ICO 2",
                    "[AddItem(C:\\VZ\\VZ32.EXE,Velzor,C:\\VZ\\VZ32.ICO,2)]"},
        CommandCase{"AddItemTooLong", "ProgmanAddItem C:\\" + k241 + "\\VZ32.EXE Velzor", std::nullopt},
        CommandCase{"DeleteGroupWithoutAName", "ProgmanDeleteGroup \"\"", std::nullopt},
        CommandCase{"CreateGroupWithoutAName", "ProgmanCreateGroup \"\"", std::nullopt},
        CommandCase{"ShowGroupWithoutAName", "ProgmanShowGroup \"\" 1", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramGroup, WithoutProgramManagerEveryCommandReturnsZero) {
  ShelllessDesktop desktop;  // and no recorder: nothing serves "PROGMAN" there
  ASSERT_TRUE(desktop.ready());

  EXPECT_EQ(desktop.RunOperation("ProgmanDeleteGroup Velzor"), 0u);
  EXPECT_EQ(desktop.RunOperation("ProgmanCreateGroup Velzor"), 0u);
  EXPECT_EQ(desktop.RunOperation("ProgmanShowGroup Velzor 1"), 0u);
  EXPECT_EQ(desktop.RunOperation("ProgmanAddItem C:\\VZ\\VZ32.EXE Velzor"), 0u);
  EXPECT_EQ(desktop.RunOperation("--install C:\\VZ\\ BuildProgramGroup"), 0u);
}

// --- The real group, built by Wine's Program Manager ---------------------------------

std::string ProgramsFolder() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\";
}

std::string LinkTarget(const std::string& linkPath) {
  std::string target;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      std::wstring wide(linkPath.begin(), linkPath.end());
      char path[MAX_PATH] = "";
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
        target = path;
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return target;
}

TEST(ProgramGroup, WinesProgramManagerBuildsItInTheStartMenu) {
  std::string install = ScratchFolder("GROUP");
  for (const char* file : {"VZ32.EXE", "NEXOLT.EXE", "TOOLBAR.EXE", "VZSCHED.EXE", "VZUINST.EXE"})
    WriteFileBytes(install + file, "MZ");
  std::string group = ProgramsFolder() + "Velzor\\";
  RemoveTree(group);
  MakeFolders(group);
  WriteFileBytes(group + "Left over.lnk", "an earlier item");  // the group is rebuilt from nothing

  SetProgramOs("vzops.exe", Os::Windows95);
  Robot user;
  auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe", "--install " + install + " BuildProgramGroup", user);
  EXPECT_EQ(run.exitCode, 0u);

  std::vector<std::string> items;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((group + "*.lnk").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do items.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::string>{"Online Protection.lnk", "Scheduler.lnk", "Tool Bar.lnk",
                                             "Uninstall.lnk", "Velzor.lnk"}));
  EXPECT_EQ(LinkTarget(group + "Velzor.lnk"), install + "VZ32.EXE");
  EXPECT_EQ(LinkTarget(group + "Uninstall.lnk"), install + "VZUINST.EXE");
  RemoveTree(group);
}

}  // namespace
