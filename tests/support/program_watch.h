// Puts every process of the named programs under the robot's watch as it
// appears (the outer setup starts the helper once per phase, Windows starts
// the setup again after a restart), and keeps what became of each. Without a
// robot it only keeps track of them.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "robot.h"

namespace bench {

class ProgramWatch {
 public:
  struct Process {
    std::string name;  // the program file's name as Windows lists it
    DWORD pid = 0;
    bool running = true;
    DWORD exitCode = 0;  // once it has ended
    ULONGLONG startTime = 0;
  };

  // Starts watching at once; names are program file names ("vzset.exe"),
  // compared without regard to case.
  ProgramWatch(Robot* robot, std::vector<std::string> exeNames);
  ~ProgramWatch();
  ProgramWatch(const ProgramWatch&) = delete;
  ProgramWatch& operator=(const ProgramWatch&) = delete;

  // Stops watching (before the robot finishes).
  void Stop();

  // Every process seen so far, in the order they appeared.
  std::vector<Process> Processes() const;
  // How many processes of that program have been seen.
  int Started(const std::string& exeName) const;
  // True while any watched process runs.
  bool AnyRunning() const;
  // Waits until `count` processes of the program have been seen and none of
  // the watched programs runs any more; false on time-out.
  bool WaitUntilDone(const std::string& exeName, int count, int milliseconds) const;
  // Ends every watched process that still runs (after a time-out).
  void EndAll();

 private:
  void Loop();
  void Look();

  Robot* robot_;
  std::vector<std::string> names_;
  mutable std::mutex mutex_;
  std::vector<Process> processes_;
  std::vector<HANDLE> handles_;  // one per process, for its exit code
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace bench
