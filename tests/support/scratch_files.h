// Scratch files for tests that work on files directly: a folder of the
// test machine emptied before each case, text files as lists of lines, and
// files held in use or made read-only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace bench {

// An empty folder C:\VZTEST\<name>\ (ends with "\").
std::string ScratchFolder(const std::string& name);

// Lines joined with CR LF after each, as text files are written.
std::string Lines(const std::vector<std::string>& lines);

// Holds a file open so that it cannot be renamed or deleted (others may
// still read and write it), as a program using the file would.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  HANDLE handle_;
};

void SetReadOnly(const std::string& path);
bool IsReadOnly(const std::string& path);

}  // namespace bench
