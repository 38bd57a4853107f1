// Scratch files for the finalisation step tests: a folder of the test
// machine emptied before each case, and text files as lists of lines.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace scratch {

// An empty folder C:\VZTEST\<name>\ (ends with "\").
std::string Folder(const std::string& name);

// Lines joined with CR LF after each, as the files are written.
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

}  // namespace scratch
