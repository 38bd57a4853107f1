#include "story.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <thread>

#include "window_picture.h"

using namespace bench;

namespace story {

namespace {

constexpr int kRobotTimeoutMs = 150000;     // a whole installation with a restart takes well under this
constexpr int kPersonTimeoutMs = 3600000;   // a person may take their time
constexpr int kProgramsEndMs = 30000;       // the helper's last message after SETUP.EXE has gone
constexpr int kPicturePollMs = 2;           // how often new windows are looked for
constexpr int kFirstPictureMs = 5;          // a window just shown, before its first picture
constexpr int kPaintedPictureMs = 60;       // then before the picture of it painted
constexpr int kPictureTimeMs = 200;         // the robot's pause before it answers, for the pictures

// The product's programs: each sees the machine's Windows version.
const char* const kProductPrograms[] = {"SETUP.EXE", "UNINST.EXE", "vzset.exe",   "VZUINST.EXE", "VZ32.EXE",
                                        "VZSTRUP.EXE", "VZSCHED.EXE", "TOOLBAR.EXE", "NEXOLT.EXE", "DOTBK.EXE"};
// The programs whose windows the robot answers: the helper and the product's
// programs it starts.
const std::vector<std::string> kAnsweredPrograms = {"vzset.exe", "VZ32.EXE", "VZSCHED.EXE", "VZUINST.EXE"};

Options g_options;
std::atomic<int> g_pictureCount{0};

std::string Slug(const std::string& caption) {
  std::string slug;
  for (char c : caption) {
    if (std::isalnum(static_cast<unsigned char>(c))) slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!slug.empty() && slug.back() != '-') slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug.empty() ? "window" : slug;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM list) {
  if (!IsWindowVisible(window)) return TRUE;
  char caption[256] = "", program[MAX_PATH] = "";
  GetWindowTextA(window, caption, sizeof caption);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    DWORD size = sizeof program;
    QueryFullProcessImageNameA(process, 0, program, &size);
    CloseHandle(process);
  }
  *reinterpret_cast<std::string*>(list) += "  \"" + std::string(caption) + "\" of " + program + "\n";
  return TRUE;
}

// Takes a picture of each window of the watched programs as soon as it shows,
// before anybody answers it: the pre-install scan's dialog is up only briefly.
class PictureTaker {
 public:
  explicit PictureTaker(const ProgramWatch& programs) : programs_(programs) {
    if (!g_options.pictures.empty()) thread_ = std::thread([this] { Loop(); });
  }
  ~PictureTaker() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  struct Search {
    std::vector<DWORD> pids;
    std::vector<HWND> found;
  };
  static BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (IsWindowVisible(window) && std::find(search->pids.begin(), search->pids.end(), pid) != search->pids.end())
      search->found.push_back(window);
    return TRUE;
  }
  void Loop() {
    std::vector<HWND> taken;
    while (!stop_) {
      Search search;
      for (const auto& p : programs_.Processes())
        if (p.running) search.pids.push_back(p.pid);
      EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
      for (HWND window : search.found) {
        if (std::find(taken.begin(), taken.end(), window) != taken.end()) continue;
        taken.push_back(window);
        char caption[256] = "";
        GetWindowTextA(window, caption, sizeof caption);
        char number[16];
        std::snprintf(number, sizeof number, "%02d-", g_pictureCount + 1);
        std::string path = g_options.pictures + number + Slug(caption) + ".bmp";
        // At once, for a window that is up only briefly; again once it has
        // surely been painted, while it is still up.
        Sleep(kFirstPictureMs);
        if (!IsWindowVisible(window) || !SaveWindowPicture(window, path)) continue;
        ++g_pictureCount;
        Sleep(kPaintedPictureMs);
        if (IsWindowVisible(window)) SaveWindowPicture(window, path);
      }
      Sleep(kPicturePollMs);
    }
  }

  const ProgramWatch& programs_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

const Options& TheOptions() { return g_options; }

void ParseOptions(int argc, char** argv) {
  g_options.media = TestMachine::MediaFolder();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      std::size_t length = std::strlen(name);
      return arg.compare(0, length, name) == 0 ? argv[i] + length : nullptr;
    };
    if (const char* os = value("--os=")) g_options.os = _stricmp(os, "nt") == 0 ? Os::WindowsNT : Os::Windows95;
    else if (const char* media = value("--media=")) g_options.media = media;
    else if (const char* pictures = value("--pictures=")) g_options.pictures = pictures;
    else if (arg == "--report") g_options.report = true;
    else if (arg == "--interactive") g_options.interactive = true;
  }
  if (!g_options.media.empty() && g_options.media.back() != '\\') g_options.media += '\\';
  if (!g_options.pictures.empty() && g_options.pictures.back() != '\\') g_options.pictures += '\\';
}

Step& See(Robot& user, WindowSpec wanted) {
  Step& step = user.Expect(std::move(wanted));
  if (!g_options.pictures.empty()) step.Wait(kPictureTimeMs);
  return step;
}

void AnswerWarningAndScan(Robot& user) {
  See(user, MessageBox("Warning").Containing("other anti-virus").WithIcon("exclamation").WithButtons("OK|Cancel"))
      .Answer(IDOK);
  See(user, Dialog("Pre-Install Virus Scan"));
}

void AnswerComponentSelection(Robot& user, const EndAnswers& answers) {
  Os os = g_options.os;
  if (answers.virusFound) {
    See(user, MessageBox("Disinfect Your System").WithIcon("question").WithButtons("Yes|No")).Answer(IDYES);
    See(user, AnyWindow("VZTileWindow"));  // the scan of all drives, which ends by itself
  }
  See(user, MessageBox("Warning").Containing("Could not locate MS-Word")).Answer(IDOK);
  See(user, Dialog("Select Components to Install")).Click(IDOK);
  See(user, Dialog("Setup")).Click(IDOK);  // the start-up components, as offered
  bool rescue = os == Os::Windows95;
  if (rescue || answers.emergencyDiskette) See(user, Dialog("Select Drive")).Click(IDOK);
  if (rescue) {
    See(user, MessageBox("Insert Rescue Diskette")).Answer(IDOK);
    See(user, Dialog("Rescue Disk Created")).Click(IDOK);
  }
  if (answers.emergencyDiskette) See(user, MessageBox("Insert Emergency Diskette")).Answer(IDOK);
  See(user, MessageBox("Schedule Velzor Scanner").WithIcon("question").WithButtons("Yes|No")).Answer(IDYES);
  See(user, Dialog("Velzor Scheduler")).Click(IDOK);
}

Installation RunSetup(const std::string& media, Robot* user, int setupRuns) {
  Installation result;
  ProgramWatch setups(nullptr, {"SETUP.EXE"});
  ProgramWatch programs(user, kAnsweredPrograms);
  PictureTaker pictures(programs);
  HANDLE setup = StartProgram(media + "SETUP.EXE", "");
  if (!setup) {
    ADD_FAILURE() << "could not start " << media << "SETUP.EXE (error " << GetLastError() << ")";
    return result;
  }
  CloseHandle(setup);
  int timeout = user ? kRobotTimeoutMs : kPersonTimeoutMs;
  result.finished = setups.WaitUntilDone("SETUP.EXE", setupRuns, timeout) &&
                    programs.WaitUntilDone(kAnsweredPrograms[0], 0, kProgramsEndMs);
  setups.Stop();
  programs.Stop();
  if (!result.finished) {
    EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&result.windowsLeft));
    programs.EndAll();
    setups.EndAll();
  }
  if (user) user->Finish();
  for (const auto& p : setups.Processes()) result.setupExits.push_back(p.exitCode);
  if (!result.finished) {
    ADD_FAILURE() << "the installation did not end in time; windows still up:\n"
                  << result.windowsLeft << (user ? "the robot saw:\n" + user->Transcript() : "");
  } else if (user && !user->Ok()) {
    ADD_FAILURE() << "the robot user's script was not followed:\n" << user->Transcript();
  }
  return result;
}

void PrepareMachine(Os os) {
  for (const char* program : kProductPrograms) SetProgramOs(program, os);
  WriteFileBytes(kAutoexec, kAutoexecLines);
  SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner",
             kRegisteredOwner);
  SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization",
             kRegisteredCompany);
}

std::string MediaCopy(const std::string& folderName, const std::vector<std::pair<std::string, std::string>>& values) {
  std::string folder = "C:\\" + folderName + "\\";
  MakeFolders(folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((g_options.media + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      CopyFileA((g_options.media + found.cFileName).c_str(), (folder + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  for (const auto& [key, value] : values)
    WritePrivateProfileStringA("Setup", key.c_str(), value.c_str(), (folder + "SETUP.INI").c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, (folder + "SETUP.INI").c_str());
  return folder;
}

void InstallPreviousVersion(Os os) {
  std::string media = MediaCopy("VELZOR40", {{"Version", kPreviousVersion}});
  Robot user;
  AnswerWarningAndScan(user);
  AnswerComponentSelection(user);
  Installation run = RunSetup(media, &user);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.setupExits, std::vector<DWORD>{0}) << "the earlier version was not installed";
  ASSERT_EQ(RegText(HKEY_USERS, ".Default\\Software\\Orvanto\\Velzor", "LastVerInstalled").value_or(""),
            kPreviousVersion);
}

std::string InstallShort() { return ShortPath(kInstallFolder) + "\\"; }

std::string SetupUninstallCommand() {
  return TestMachine::WindowsFolder() + "UNINST.EXE -f\"" + kInstallFolder + "\\SETUP.LOG\"";
}

std::vector<std::string> MediaFiles(const std::string& media) {
  std::vector<char> buffer(8192);
  DWORD length = GetPrivateProfileSectionA("Files", buffer.data(), static_cast<DWORD>(buffer.size()),
                                           (media + "SETUP.INI").c_str());
  std::vector<std::string> names;
  for (const char* name = buffer.data(); name < buffer.data() + length && *name; name += std::strlen(name) + 1)
    names.emplace_back(name);
  return names;
}

std::string IniText(const std::string& file, const std::string& section, const std::string& key) {
  char value[1024] = "";
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, file.c_str());
  return value;
}

std::vector<std::string> StartMenuGroup(const std::string& group) {
  std::vector<std::string> items;
  for (int where : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, where, nullptr, 0, folder))) continue;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(folder) + "\\" + group + "\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      std::string name = found.cFileName;
      items.push_back(name.substr(0, name.size() - 4));
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return items;
}

}  // namespace story
