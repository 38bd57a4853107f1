#include "components_machine.h"

#include <cstdio>
#include <cstring>

using namespace bench;

namespace components {

namespace {

const char kUserProductKey[] = "Software\\Orvanto\\Velzor";
const char kExtensionsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Extensions";
constexpr int kHelpTextId = 1793;  // winhlp32's text window

BOOL CALLBACK FindHelpText(HWND child, LPARAM param) {
  if (GetDlgCtrlID(child) == kHelpTextId) {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const Choices& c) {
  return os << "Word=" << c.word << " Shell=" << c.shell << " Online=" << c.online << " Scheduler=" << c.scheduler
            << " Toolbar=" << c.toolbar << " Rescue=" << c.rescue << " Emergency=" << c.emergency;
}

Choices ReadChoices() {
  Choices c;
  std::string text = ReadFileBytes(kResult).value_or("");
  std::sscanf(text.c_str(),
              "WordProtection=%d ShellExtensions=%d OnlineProtection=%d Scheduler=%d Toolbar=%d RescueDiskette=%d "
              "EmergencyDiskette=%d",
              &c.word, &c.shell, &c.online, &c.scheduler, &c.toolbar, &c.rescue, &c.emergency);
  return c;
}

void ComponentsMachine::SetUp() {
  TestMachine::ClearProductRecords();
  ForgetWord();
  CloseHelp();
  RemoveTree(kRoot);
  MakeFolders(kInstall);
}

void ComponentsMachine::TearDown() {
  CloseHelp();
  ForgetWord();
  TestMachine::ClearProductRecords();
}

RunResult ComponentsMachine::RunOps(Os os, const std::string& arguments, Robot& user) {
  SetProgramOs("vzops.exe", os);
  return RunProgram(TestMachine::BinFolder() + "vzops.exe", "--install " + kInstall + " " + arguments, user);
}

void ComponentsMachine::SetType(const char* type) {
  if (type) SetRegText(HKEY_CURRENT_USER, kUserProductKey, "Type", type);
  else DeleteRegValue(HKEY_CURRENT_USER, kUserProductKey, "Type");
}

void ComponentsMachine::InstallWord(bool programExists) {
  MakeFolders(kWordFolder);
  SetRegText(HKEY_CURRENT_USER, kExtensionsKey, "doc", kWordFolder + "WINWORD.EXE ^.doc");
  if (programExists)
    CopyFileA((TestMachine::BinFolder() + "word_standin.exe").c_str(), (kWordFolder + "winword.exe").c_str(), FALSE);
}

void ComponentsMachine::ForgetWord() {
  DeleteRegValue(HKEY_CURRENT_USER, kExtensionsKey, "doc");
  DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0");
  WriteProfileStringA("embedding", "WordDocument", nullptr);
}

HWND WaitForHelp(int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    HWND help = FindWindowA("MS_WINHELP", nullptr);
    if (help && IsWindowVisible(help) && !HelpText(help).empty()) return help;
    Sleep(20);
  }
  return nullptr;
}

std::string HelpText(HWND help) {
  HWND text = nullptr;
  EnumChildWindows(help, FindHelpText, reinterpret_cast<LPARAM>(&text));
  if (!text) return {};
  char buffer[8192];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(text, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                           &length))
    return {};
  buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
  return buffer;
}

bool WaitForNoHelp(int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    HWND help = FindWindowA("MS_WINHELP", nullptr);
    if (!help || !IsWindowVisible(help)) return true;
    Sleep(20);
  }
  return false;
}

void CloseHelp() {
  if (FindWindowA("MS_WINHELP", nullptr)) {
    WinHelpA(nullptr, "VZSET.HLP", HELP_QUIT, 0);
    WaitForNoHelp();
  }
}

void ExpectHelpTopic(Step& step, const std::string& title) {
  step.Do(
      [title](HWND, Robot& robot) {
        HWND help = WaitForHelp();
        if (!help) return robot.Fail("no help window opened (looking for \"" + title + "\")");
        std::string text = HelpText(help);
        if (text.rfind(title, 0) != 0)
          robot.Fail("the help window shows \"" + text.substr(0, 60) + "\", not \"" + title + "\"");
      },
      "help shows \"" + title + "\"");
}

void ExpectHelpClosed(Step& step) {
  step.Do(
      [](HWND, Robot& robot) {
        if (!WaitForNoHelp()) robot.Fail("the help window is still open");
      },
      "help closed");
}

}  // namespace components
