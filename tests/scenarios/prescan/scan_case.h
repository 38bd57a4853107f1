// What the pre-install scan scenarios share: a folder of the case with its
// own copy of vzops.exe (the scan looks for VZ.INX and VZMSI32.DLL beside the
// running program), the case index, the markers it knows, and a watcher of
// the dialog's stage icons as they show on the screen.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "machine.h"
#include "robot.h"

namespace scan {

constexpr char kDialogCaption[] = "Pre-Install Virus Scan";
constexpr char kVirusValueKey[] = "Software\\Orvanto\\Velzor";
constexpr char kVirusValue[] = "VirusFoundDuringInstall";

// The markers of scan_cases.ndb.
constexpr char kTopNatas[] = "SCAN-CASE-TOP-NATAS";      // top, 16 bytes in, id 20 (record 0)
constexpr std::size_t kTopNatasAt = 16;
constexpr char kOneHalfEnd[] = "SCAN-CASE-ONEHALF-END";  // bottom, ends the file, id 2003
constexpr char kPolyNatas[] = "SCAN-CASE-POLY-NATAS";    // polymorphic, id 20 (record 2)
constexpr char kFileMark[] = "SCAN-CASE-FILE-MARK";      // polymorphic, id 302 "Case.Marker"
constexpr char kBeyondOne[] = "SCAN-CASE-BEYOND-ONE";    // polymorphic, record 4
constexpr char kBeyondTwo[] = "SCAN-CASE-BEYOND-TWO";    // polymorphic, record 5
constexpr char kPeEntry[] = "SCAN-CASE-PE-ENTRY";        // PE entry point, id 5001

// testdata\scan_cases.inx as built; and with a record's virus id and name
// changed (the name stored as the index stores it, +60).
std::string CaseIndex();
void SetRecord(std::string& index, int record, short virusId, const std::string& name);

// The "Virus Found" message for a name and an upper-case path.
std::string VirusMessage(const std::string& name, const std::string& path);

// A path in this machine's Windows folder as the scan shows it: in upper case.
std::string ShownPath(const std::string& inWindowsFolder);

enum class MemoryLibrary { None, Real, Corrupt };

// C:\VZSCAN\<name>\ with vzops.exe and the product's libraries from the bin
// folder, the memory scan library as chosen, and VZ.INX when given.
class ScanCase {
 public:
  explicit ScanCase(const std::string& name, MemoryLibrary memory = MemoryLibrary::None);
  ~ScanCase();
  ScanCase(const ScanCase&) = delete;
  ScanCase& operator=(const ScanCase&) = delete;

  void WithIndex(const std::string& bytes);
  // Runs the scan progress dialog as the pre-install phase opens it.
  bench::RunResult Run(bench::Os os, bench::Robot& user) const;
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

// A program holding the list's memory signature in its memory, for as long
// as the object lives.
class ActiveMemoryVirus {
 public:
  ActiveMemoryVirus();
  ~ActiveMemoryVirus();
  bool Ready() const { return ready_; }

 private:
  HANDLE process_ = nullptr;
  bool ready_ = false;
};

// An environment variable of this test program (and so of the programs it
// starts), set for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

// Reads the dialog's three stage icons from the screen: each is "running",
// "done", "waiting", "hidden" or "unknown"; a state is the three joined,
// e.g. "done running waiting". While it lives it records every state the
// dialog shows, in order, once each time it changes.
class StageWatcher {
 public:
  StageWatcher();
  ~StageWatcher();
  StageWatcher(const StageWatcher&) = delete;
  StageWatcher& operator=(const StageWatcher&) = delete;

  std::string Read(HWND dialog) const;
  std::vector<std::string> States() const;

 private:
  void Loop();

  HICON icons_[3] = {};  // running, done, waiting
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> states_;
  std::thread thread_;
};

// Moves a window out of the way to the top left corner of the screen, as a
// user would drag it, so that the dialog under it shows.
void MoveAside(HWND window);

}  // namespace scan
