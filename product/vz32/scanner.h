// The scanner's engine: walks drives, folders and files, checks each program
// file with the signature library SIGSCAN.dll beside the program when it is
// there, and reports every line to a callback.
#pragma once

#include <cstddef>

namespace vz32 {

struct ScanTotals {
  unsigned files = 0;     // files looked at
  unsigned infected = 0;  // files in which a virus was found
  bool checked = false;   // false: SIGSCAN.dll or VZ.INX missing, files were only listed
  bool stopped = false;   // the user stopped the scan
};

// Receives each report line; returns false to stop the scan.
using ReportLine = bool (*)(const char* line, void* context);

class Scanner {
 public:
  Scanner(ReportLine report, void* context);
  ~Scanner();
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // Every local hard disk (fixed drive), A: to Z:.
  void ScanAllDrives();
  // One file (whatever its extension), or a folder or drive with everything below it.
  void ScanItem(const char* path);

  const ScanTotals& Totals() const { return totals_; }

 private:
  void ScanFolder(char* folder, std::size_t capacity, int depth);
  void ScanFile(const char* path);
  bool Report(const char* line);

  ReportLine report_;
  void* context_;
  ScanTotals totals_;
  struct Library;
  Library* library_;
};

// True for the names the scanner checks in folders: .EXE .COM .DLL .DRV .OVR .OVL .SYS.
bool IsProgramFileName(const char* name);

}  // namespace vz32
