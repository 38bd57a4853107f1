// Where the entry point and the sections of a PE file lie in the file, read
// from its headers. Headers are treated as hostile: every field is checked
// against the file's size, and a header that does not hold together gives
// no layout, so the PE signatures find nothing in that file.
#pragma once

#include <cstdint>

#include "file_reader.h"

namespace sigscan {

constexpr int kMaxSections = 96;  // as many as the PE format allows

struct PeSection {
  std::uint32_t rva = 0;
  std::uint32_t rawOffset = 0;
  std::uint32_t rawSize = 0;
};

struct PeLayout {
  bool valid = false;
  bool hasEntryPoint = false;
  std::int64_t entryPoint = 0;  // file offset of the entry point
  int sectionCount = 0;
  PeSection sections[kMaxSections];
};

PeLayout ReadPeLayout(FileReader& file);

}  // namespace sigscan
