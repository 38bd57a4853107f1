#include "program_watch.h"

#include <tlhelp32.h>

#include <algorithm>

namespace bench {

namespace {

constexpr int kPollMs = 10;

ULONGLONG StartTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!process || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

ProgramWatch::ProgramWatch(Robot* robot, std::vector<std::string> exeNames)
    : robot_(robot), names_(std::move(exeNames)) {
  thread_ = std::thread([this] { Loop(); });
}

ProgramWatch::~ProgramWatch() {
  Stop();
  for (HANDLE h : handles_)
    if (h) CloseHandle(h);
}

void ProgramWatch::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void ProgramWatch::Loop() {
  while (!stop_) {
    Look();
    Sleep(kPollMs);
  }
  Look();  // the exit codes of what ended meanwhile
}

void ProgramWatch::Look() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      bool named = std::any_of(names_.begin(), names_.end(),
                               [&](const std::string& n) { return _stricmp(entry.szExeFile, n.c_str()) == 0; });
      if (!named) continue;
      // A handle first, so that the exit code stays readable once it ends; a
      // process is known by its id and its start time (ids are reused).
      HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                  entry.th32ProcessID);
      ULONGLONG started = StartTime(handle);
      {
        std::lock_guard lock(mutex_);
        bool known = std::any_of(processes_.begin(), processes_.end(), [&](const Process& p) {
          return p.pid == entry.th32ProcessID && p.startTime == started;
        });
        if (known) {
          if (handle) CloseHandle(handle);
          continue;
        }
        handles_.push_back(handle);
        processes_.push_back({entry.szExeFile, entry.th32ProcessID, true, 0, started});
      }
      // Start, not AddProcess: the robot's watching begins with the first one.
      if (robot_) robot_->Start(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
  }
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < processes_.size(); ++i) {
    if (!processes_[i].running) continue;
    if (!handles_[i] || WaitForSingleObject(handles_[i], 0) == WAIT_OBJECT_0) {
      processes_[i].running = false;
      if (handles_[i]) GetExitCodeProcess(handles_[i], &processes_[i].exitCode);
    }
  }
}

std::vector<ProgramWatch::Process> ProgramWatch::Processes() const {
  std::lock_guard lock(mutex_);
  return processes_;
}

int ProgramWatch::Started(const std::string& exeName) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(processes_.begin(), processes_.end(), [&](const Process& p) {
    return _stricmp(p.name.c_str(), exeName.c_str()) == 0;
  }));
}

bool ProgramWatch::AnyRunning() const {
  std::lock_guard lock(mutex_);
  return std::any_of(processes_.begin(), processes_.end(), [](const Process& p) { return p.running; });
}

bool ProgramWatch::WaitUntilDone(const std::string& exeName, int count, int milliseconds) const {
  // Done must hold twice in a row: a program may start the next one just as it ends.
  int quiet = 0;
  for (int waited = 0; waited < milliseconds; waited += 50) {
    quiet = Started(exeName) >= count && !AnyRunning() ? quiet + 1 : 0;
    if (quiet >= 4) return true;
    Sleep(50);
  }
  return false;
}

void ProgramWatch::EndAll() {
  {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < processes_.size(); ++i)
      if (processes_[i].running && handles_[i]) TerminateProcess(handles_[i], 0xDEAD);
  }
  Sleep(200);
  Look();
}

}  // namespace bench
