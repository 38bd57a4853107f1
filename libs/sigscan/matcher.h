// Matching the loaded signatures against one file, read in bounded windows.
#pragma once

#include <cstdint>
#include <vector>

#include "database.h"
#include "file_reader.h"

namespace sigscan {

struct Finding {
  std::int16_t record = -1;
  std::int16_t virusId = -1;
};

// Top (from the start), bottom (from the end) and PE (from the entry point or
// a section) signatures: each is compared only where its offset puts it.
// Of several matches the one of the lowest record is reported.
Finding ScanAnchored(const Database& db, const std::vector<Signature>& signatures, FileReader& file);

// Polymorphic signatures: searched through the whole file; the first match
// found, reading from the start, is reported.
Finding ScanPoly(const Database& db, FileReader& file);

// Window sizes, for the tests that place patterns across window edges.
constexpr std::size_t kPolyChunk = 256 * 1024;
constexpr std::size_t kGapChunk = 64 * 1024;

}  // namespace sigscan
