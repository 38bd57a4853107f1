// The test machine: the Wine prefix the test program runs in, seen from
// inside. It chooses the Windows version programs see, runs programs as their
// own processes with the robot watching, and reads and writes the machine's
// registry and files directly (never through the product's libraries).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "robot.h"

namespace bench {

enum class Os { Windows95, WindowsNT };

inline const char* OsName(Os os) { return os == Os::Windows95 ? "Windows 95" : "Windows NT"; }

// Makes the named program (by its file name, e.g. "vzset.exe") see the given
// Windows version: Wine's per-application Version setting.
void SetProgramOs(const std::string& exeName, Os os);

struct RunResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  DWORD pid = 0;
};

struct RunOptions {
  int timeoutMs = 60000;
  std::string workingFolder;  // empty: the program's own folder
  bool reportRobotFailures = true;
};

// Runs a program with its command line (the part after the program name) as
// its own process, the robot watching its windows, and waits for its end. On
// time-out the program is ended and the test fails with the transcript.
RunResult RunProgram(const std::string& exePath, const std::string& arguments, Robot& user,
                     const RunOptions& options = {});

// Starts a program without waiting for it (a product program a case needs running).
HANDLE StartProgram(const std::string& exePath, const std::string& arguments, DWORD* pid = nullptr);

// Runs the cases matching a GoogleTest filter in a copy of the running test
// program that Wine runs as the given Windows version (each program's
// version is set by its file name); the exit code is 0 when they all passed.
RunResult RunOwnCopyAs(Os os, const std::string& gtestFilter);
// True in such a copy.
bool IsOwnCopy();

class TestMachine {
 public:
  // The shared run machine, with the product's records and files cleared, and
  // the helper set to see the given Windows version.
  static TestMachine Prepared(Os os);

  Os os() const { return os_; }
  const char* OsName() const { return bench::OsName(os_); }

  // Folder of the built programs (the test program's own), ending with "\".
  static std::string BinFolder();
  // The setup media laid out by the build, ending with "\".
  static std::string MediaFolder();
  // This machine's Windows folder, ending with "\".
  static std::string WindowsFolder();

  // Runs vzset.exe from the bin folder (or another copy) with a command line.
  RunResult RunHelper(const std::string& commandLine, Robot& user, const RunOptions& options = {}) const;
  RunResult RunHelperFrom(const std::string& helperPath, const std::string& commandLine, Robot& user,
                          const RunOptions& options = {}) const;

  // Removes every record and file the product leaves on a machine.
  static void ClearProductRecords();

 private:
  explicit TestMachine(Os os) : os_(os) {}
  Os os_;
};

// --- Registry, read and written directly --------------------------------------
// Paths use "\" as Windows does. Roots: HKEY_LOCAL_MACHINE, ...

std::optional<std::string> RegText(HKEY root, const std::string& key, const std::string& name);
bool RegKeyExists(HKEY root, const std::string& key);
void SetRegText(HKEY root, const std::string& key, const std::string& name, const std::string& text);
void DeleteRegValue(HKEY root, const std::string& key, const std::string& name);
void DeleteRegTree(HKEY root, const std::string& key);
// Names of the values of a key.
std::vector<std::string> RegValueNames(HKEY root, const std::string& key);

// --- Files ----------------------------------------------------------------------

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
std::string ShortPath(const std::string& path);

}  // namespace bench
