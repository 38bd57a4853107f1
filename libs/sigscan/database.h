// The signatures of a loaded VZ.INX, held in memory between InitScan and
// EndScan, sorted by the scan kind that uses them.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sigscan {

// Scan kinds, as the records and the callers number them.
enum Kind : std::uint8_t { kNone = 0, kTop = 1, kBottom = 2, kPoly = 4, kPe = 5 };
enum Anchor : std::uint8_t { kEntryPoint = 0, kSectionStart = 1, kLastSectionStart = 2 };

constexpr std::uint32_t kGapUnbounded = 0xFFFFFFFF;

// One position of a pattern: a byte matches when (byte & mask) == value, or,
// for a choice, when the byte is one of the choice set.
struct Element {
  std::uint8_t value = 0;
  std::uint8_t mask = 0;
  std::uint16_t choice = 0;  // 0: none; else 1 + index into Database::choices
};

// A run of elements of fixed length; parts after the first follow the end of
// the previous one after gapMin..gapMax bytes.
struct Part {
  std::uint32_t gapMin = 0;
  std::uint32_t gapMax = 0;
  std::uint32_t first = 0;  // index into Database::elements
  std::uint32_t length = 0;
};

struct Signature {
  Kind kind = kNone;
  Anchor anchor = kEntryPoint;
  std::int16_t virusId = -1;
  std::int16_t record = -1;
  std::int32_t offset = 0;
  std::uint16_t shift = 0;
  std::uint16_t section = 0;
  std::uint32_t firstPart = 0;  // index into Database::parts
  std::uint32_t partCount = 0;
  // Polymorphic signatures: where in the first part the three bytes that
  // index it start, and those bytes.
  std::uint32_t anchorAt = 0;
  std::uint32_t anchorKey = 0;
};

// The index of the polymorphic signatures by their three anchor bytes: a
// bitmap of the first two bytes rejects most positions at once; the entries
// sharing two bytes lie together, sorted by the key.
struct PolyIndex {
  std::vector<std::uint64_t> pairBits;      // 65536 bits
  std::vector<std::uint32_t> pairStart;     // 65537 entries into `entries`
  std::vector<std::uint32_t> entries;       // signature numbers, by key
  std::size_t keepBefore = 0;               // largest anchorAt
  std::size_t keepAfter = 0;                // largest first-part length - anchorAt
};

struct Database {
  std::vector<Element> elements;
  std::vector<Part> parts;
  std::vector<std::bitset<256>> choices;
  std::vector<Signature> top, bottom, pe, poly;
  PolyIndex polyIndex;
};

// Loads the index file; false when it is missing, damaged or not one we read.
bool LoadDatabase(const char* path, Database& db);

// Checks a whole VZ.INX image held in memory and fills db from it.
bool ParseDatabase(const std::uint8_t* data, std::size_t size, Database& db);

inline bool ElementMatches(const Database& db, const Element& e, std::uint8_t byte) {
  if (e.choice) return db.choices[e.choice - 1].test(byte);
  return (byte & e.mask) == e.value;
}

// True when the part matches the bytes at p (the caller made sure they exist).
inline bool PartMatchesAt(const Database& db, const Part& part, const std::uint8_t* p) {
  const Element* e = &db.elements[part.first];
  for (std::uint32_t i = 0; i < part.length; ++i)
    if (!ElementMatches(db, e[i], p[i])) return false;
  return true;
}

}  // namespace sigscan
