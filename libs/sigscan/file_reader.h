// Reading a scanned file through the caller's handle: every read names its
// offset, and the position the caller left is restored afterwards, so the
// scans neither depend on nor change where the handle points.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace sigscan {

class FileReader {
 public:
  explicit FileReader(HANDLE file);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // False when the handle gives no size (not a readable file).
  bool Ok() const { return ok_; }
  std::int64_t Size() const { return size_; }

  // Reads up to `count` bytes at `offset`; returns how many were read (fewer
  // at the end of the file, 0 on error).
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count);

 private:
  HANDLE file_;
  bool ok_ = false;
  bool restore_ = false;
  LARGE_INTEGER saved_{};
  std::int64_t size_ = 0;
};

}  // namespace sigscan
