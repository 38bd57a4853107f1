// The machine as removing a previous version meets it: the product's programs
// running, the previous version's folder and records, the setup media, and
// windows of other processes looked at from outside.
#pragma once

#include <windows.h>

#include <string>

#include "machine.h"
#include "robot.h"

namespace removal {

inline const char kVersion[] = "5.0";
inline const char kVersionKey[] = "SOFTWARE\\Orvanto\\Velzor\\5.0";
inline const char kProductKey[] = "SOFTWARE\\Orvanto\\Velzor";
inline const char kUserProductKey[] = "Software\\Orvanto\\Velzor";
inline const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline const char kRunOnceValue[] = "Velzor Installation";

inline const char kRunningText[] =
    "Velzor is currently running.\nVelzor Setup will not be able to\nproceed till Velzor is running.\n\n"
    "Close the application to continue with the setup.";
inline const char kRebootText[] = "Velzor Setup will now reboot the system to remove Online Protection.";

// A file of the built setup media, as bytes.
std::string Media(const std::string& name);
// The setup media folder in its short form, without a final backslash, as
// /initsetup has it.
std::string MediaSource();

// A program of the product started from the bin folder, ended when the case ends.
class RunningProgram {
 public:
  RunningProgram(const std::string& exeName, const std::string& arguments = "");
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  DWORD pid() const { return pid_; }
  // True once the program has ended, waiting at most that long.
  bool Ended(int milliseconds = 5000) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// The top-level window with that title (of any class, visible or not) once it
// exists, waiting at most that long; nullptr when none came.
HWND WaitForWindow(const char* title, int milliseconds = 10000, const char* windowClass = nullptr);
// The program file of the process that owns the window ("" when unknown).
std::string ProgramOf(HWND window);
// Same file, compared without regard to case and short or long form.
bool SameFile(const std::string& a, const std::string& b);
// Closes every top-level window with that title (left by a case) and waits for them to go.
void CloseWindows(const char* title);

// vzops.exe with one removal step.
bench::RunResult RunStep(const std::string& arguments, bench::Robot& user, const bench::RunOptions& options = {});

}  // namespace removal
