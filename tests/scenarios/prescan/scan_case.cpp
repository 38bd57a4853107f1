#include "scan_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "virus_samples.h"

using namespace bench;

namespace scan {

namespace {

constexpr int kStageControls[] = {1016, 1017, 1018};
constexpr int kIconSize = 32;
// The rows of an icon that no other stage icon can cover: each lies under
// the next one's rectangle from about row 18 on.
constexpr int kVisibleRows = 17;

std::string Upper(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void CopyInto(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) ADD_FAILURE() << "could not copy " << from << " to " << to;
}

}  // namespace

std::string CaseIndex() {
  auto bytes = ReadFileBytes(TestMachine::BinFolder() + "testdata\\scan_cases.inx");
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or("");
}

void SetRecord(std::string& index, int record, short virusId, const std::string& name) {
  std::size_t at = 8 + 40 * static_cast<std::size_t>(record);
  Put16(index, at + 2, static_cast<std::uint16_t>(virusId));
  for (std::size_t i = 0; i < 16; ++i) {
    unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
    index[at + 24 + i] = static_cast<char>(c + 60);
  }
}

std::string VirusMessage(const std::string& name, const std::string& path) {
  return "Found strains of " + name + " in " + path +
         ".\nBecause the virus is not currently active, Setup can safely install Velzor anti-virus on your "
         "computer. After installation completes, scan your drives to eliminate the virus.\n\nClick OK to continue.";
}

std::string ShownPath(const std::string& inWindowsFolder) { return Upper(TestMachine::WindowsFolder() + inWindowsFolder); }

// --- The case folder ------------------------------------------------------------

ScanCase::ScanCase(const std::string& name, MemoryLibrary memory) : folder_("C:\\VZSCAN\\" + name + "\\") {
  RemoveTree(folder_);
  MakeFolders(folder_);
  std::string bin = TestMachine::BinFolder();
  CopyInto(bin + "vzops.exe", folder_ + "vzops.exe");
  // Every library of the product the program may import; the memory scan
  // library only as the case wants it.
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((bin + "*.dll").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (_stricmp(entry.cFileName, "VZMSI32.DLL") != 0)
        CopyInto(bin + entry.cFileName, folder_ + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  if (memory == MemoryLibrary::Real) CopyInto(bin + "VZMSI32.DLL", folder_ + "VZMSI32.DLL");
  if (memory == MemoryLibrary::Corrupt) CopyInto(bin + "testdata\\corrupt\\VZMSI32.DLL", folder_ + "VZMSI32.DLL");
}

ScanCase::~ScanCase() {
  RemoveTree(folder_);
  RemoveDirectoryA("C:\\VZSCAN");
}

void ScanCase::WithIndex(const std::string& bytes) { WriteFileBytes(folder_ + "VZ.INX", bytes); }

RunResult ScanCase::Run(Os os, Robot& user) const {
  SetProgramOs("vzops.exe", os);
  return RunProgram(folder_ + "vzops.exe", "ScanProgress", user);
}

// --- An active memory virus ---------------------------------------------------------

ActiveMemoryVirus::ActiveMemoryVirus() {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "VzMemoryMarkerReady");
  ResetEvent(ready);
  process_ = StartProgram(TestMachine::BinFolder() + "memory_marker.exe", "");
  ready_ = process_ && WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0;
  CloseHandle(ready);
}

ActiveMemoryVirus::~ActiveMemoryVirus() {
  if (!process_) return;
  TerminateProcess(process_, 0);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

// --- Environment ------------------------------------------------------------------------

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  had_ = n > 0 && n < sizeof buffer;
  if (had_) old_ = buffer;
  SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

// --- Stage icons on the screen ------------------------------------------------------------

StageWatcher::StageWatcher() {
  HMODULE module = LoadLibraryExA((TestMachine::BinFolder() + "vzops.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  const int ids[] = {148, 145, 147};  // running, done, waiting
  for (int i = 0; i < 3; ++i)
    icons_[i] = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, kIconSize, kIconSize, 0));
  EXPECT_TRUE(icons_[0] && icons_[1] && icons_[2]) << "the stage icons of vzops.exe";
  thread_ = std::thread([this] { Loop(); });
}

StageWatcher::~StageWatcher() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string StageWatcher::Read(HWND dialog) const {
  static const char* const kNames[] = {"running", "done", "waiting"};
  std::string state;
  for (int id : kStageControls) {
    HWND control = GetDlgItem(dialog, id);
    std::string name = "unknown";
    RECT rect;
    if (!control || !IsWindowVisible(control)) {
      name = "hidden";
    } else if (GetWindowRect(control, &rect)) {
      for (int c = 0; c < 3; ++c)
        if (IconLikeness(icons_[c], {rect.left, rect.top}, kIconSize, kVisibleRows) >= 0.9) name = kNames[c];
    }
    state += (state.empty() ? "" : " ") + name;
  }
  return state;
}

std::vector<std::string> StageWatcher::States() const {
  std::lock_guard lock(mutex_);
  return states_;
}

void StageWatcher::Loop() {
  while (!stop_) {
    HWND dialog = FindWindowA("#32770", kDialogCaption);
    if (dialog && IsWindowVisible(dialog)) {
      std::string state = Read(dialog);
      if (state.find("unknown") == std::string::npos) {
        std::lock_guard lock(mutex_);
        if (states_.empty() || states_.back() != state) states_.push_back(state);
      }
    }
    Sleep(20);
  }
}

void MoveAside(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(250);  // the dialog under it repaints
}

}  // namespace scan
