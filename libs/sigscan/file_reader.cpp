#include "file_reader.h"

#include <algorithm>

namespace sigscan {

FileReader::FileReader(HANDLE file) : file_(file) {
  if (file == nullptr || file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER zero{};
  restore_ = SetFilePointerEx(file, zero, &saved_, FILE_CURRENT) != FALSE;
  LARGE_INTEGER size;
  if (restore_ && GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
    size_ = size.QuadPart;
    ok_ = true;
  }
}

FileReader::~FileReader() {
  if (restore_) SetFilePointerEx(file_, saved_, nullptr, FILE_BEGIN);
}

std::size_t FileReader::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
  if (!ok_ || offset < 0 || offset >= size_ || count == 0) return 0;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return 0;
  count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - offset));
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t got = 0;
  while (got < count) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got, 1u << 30));
    if (!ReadFile(file_, out + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  return got;
}

}  // namespace sigscan
