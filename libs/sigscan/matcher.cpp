#include "matcher.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "pe_layout.h"

namespace sigscan {

namespace {

// Anchored patterns are at most 4096 bytes and may float 65535 bytes: one
// window always holds every place a pattern may start.
constexpr std::size_t kAnchoredWindow = 128 * 1024;
// Positions examined while following the later parts of polymorphic
// signatures, per scan: a file built to make the search explode ends it.
constexpr std::int64_t kGapBudget = std::int64_t{1} << 26;

struct Candidate {
  std::int64_t lo;  // first and last file offset the pattern may start at
  std::int64_t hi;
  const Signature* sig;
  const Part* part;
};

// Where a signature's offset is measured from in this file; false when the
// file has no such place.
bool BaseOffset(const Signature& sig, std::int64_t size, const PeLayout* pe, std::int64_t& base) {
  switch (sig.kind) {
    case kTop:
      base = 0;
      return true;
    case kBottom:
      base = size;
      return true;
    case kPe:
      if (!pe || !pe->valid) return false;
      if (sig.anchor == kEntryPoint) {
        base = pe->entryPoint;
        return pe->hasEntryPoint;
      }
      if (sig.anchor == kSectionStart) {
        if (sig.section >= pe->sectionCount) return false;
        base = pe->sections[sig.section].rawOffset;
        return true;
      }
      base = pe->sections[pe->sectionCount - 1].rawOffset;
      return true;
    default:
      return false;
  }
}

std::unique_ptr<std::uint8_t[]> Buffer(std::size_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

// Searches part `k` of a polymorphic signature after the end of part k - 1,
// and the parts after it from each place it matches.
class GapSearch {
 public:
  GapSearch(const Database& db, FileReader& file, const Signature& sig, std::int64_t& budget)
      : db_(db), file_(file), sig_(sig), budget_(budget) {}

  bool Rest(std::uint32_t k, std::int64_t previousEnd) {
    if (k == sig_.partCount) return true;
    const Part& part = db_.parts[sig_.firstPart + k];
    std::int64_t lo = previousEnd + part.gapMin;
    std::int64_t last = file_.Size() - part.length;
    std::int64_t hi = part.gapMax == kGapUnbounded ? last : std::min(last, previousEnd + part.gapMax);
    if (lo > hi) return false;
    auto buffer = Buffer(kGapChunk + part.length);
    if (!buffer) return false;
    for (std::int64_t start = lo; start <= hi;) {
      // Starts start..start+count-1 are looked at in this window.
      std::int64_t count = std::min<std::int64_t>(hi - start + 1, kGapChunk);
      std::size_t want = static_cast<std::size_t>(count) + part.length - 1;
      std::size_t got = file_.ReadAt(start, buffer.get(), want);
      if (got < want) return false;
      const Element& first = db_.elements[part.first];
      for (std::int64_t i = 0; i < count; ++i) {
        if (--budget_ < 0) return false;
        if (!ElementMatches(db_, first, buffer[i])) continue;
        if (!PartMatchesAt(db_, part, buffer.get() + i)) continue;
        if (Rest(k + 1, start + i + part.length)) return true;
        if (budget_ < 0) return false;
      }
      start += count;
    }
    return false;
  }

 private:
  const Database& db_;
  FileReader& file_;
  const Signature& sig_;
  std::int64_t& budget_;
};

}  // namespace

Finding ScanAnchored(const Database& db, const std::vector<Signature>& signatures, FileReader& file) {
  Finding found;
  if (signatures.empty()) return found;
  std::int64_t size = file.Size();
  PeLayout pe;
  if (signatures.front().kind == kPe) pe = ReadPeLayout(file);

  std::vector<Candidate> candidates;
  candidates.reserve(signatures.size());
  std::int64_t end = 0;
  for (const Signature& sig : signatures) {
    const Part& part = db.parts[sig.firstPart];
    std::int64_t base;
    if (!BaseOffset(sig, size, &pe, base)) continue;
    std::int64_t lo = sig.kind == kBottom ? base - sig.offset : base + sig.offset;
    if (lo < 0) continue;  // before the start of the file: no match
    std::int64_t hi = std::min<std::int64_t>(lo + sig.shift, size - part.length);
    if (hi < lo) continue;  // the pattern does not fit in the file
    candidates.push_back({lo, hi, &sig, &part});
    end = std::max(end, hi + part.length);
  }
  if (candidates.empty()) return found;
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.lo < b.lo; });

  auto window = Buffer(kAnchoredWindow);
  if (!window) return found;
  std::int64_t windowStart = 0;
  std::size_t windowLength = 0;
  for (const Candidate& c : candidates) {
    if (found.record >= 0 && c.sig->record > found.record) continue;  // cannot be the lowest
    std::int64_t needEnd = c.hi + c.part->length;
    if (c.lo < windowStart || needEnd > windowStart + static_cast<std::int64_t>(windowLength)) {
      windowStart = c.lo;
      std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(end - c.lo, kAnchoredWindow));
      windowLength = file.ReadAt(windowStart, window.get(), want);
      if (needEnd > windowStart + static_cast<std::int64_t>(windowLength)) continue;  // read failed
    }
    for (std::int64_t s = c.lo; s <= c.hi; ++s) {
      if (PartMatchesAt(db, *c.part, window.get() + (s - windowStart))) {
        found.record = c.sig->record;
        found.virusId = c.sig->virusId;
        break;
      }
    }
  }
  return found;
}

Finding ScanPoly(const Database& db, FileReader& file) {
  Finding found;
  if (db.poly.empty()) return found;
  const PolyIndex& index = db.polyIndex;
  const std::size_t keep = index.keepBefore + index.keepAfter;
  auto buffer = Buffer(kPolyChunk + keep);
  if (!buffer) return found;
  std::int64_t budget = kGapBudget;

  const std::int64_t size = file.Size();
  std::uint8_t* b = buffer.get();
  std::int64_t bufferStart = 0;  // file offset of b[0]
  std::size_t length = 0;        // bytes in b
  std::int64_t scanFrom = 0;     // next anchor position to look at
  while (true) {
    std::int64_t readAt = bufferStart + static_cast<std::int64_t>(length);
    std::size_t got = file.ReadAt(readAt, b + length, kPolyChunk);
    length += got;
    bool atEnd = got == 0 || readAt + static_cast<std::int64_t>(got) >= size;
    // Anchor positions whose every pattern lies within the buffer; at the end
    // of the file, every position with three bytes left.
    std::int64_t bufferEnd = bufferStart + static_cast<std::int64_t>(length);
    std::int64_t scanTo = atEnd ? bufferEnd - 2 : bufferEnd - static_cast<std::int64_t>(index.keepAfter) + 1;
    for (std::int64_t p = scanFrom; p < scanTo; ++p) {
      std::size_t i = static_cast<std::size_t>(p - bufferStart);
      std::uint32_t pair = static_cast<std::uint32_t>(b[i]) << 8 | b[i + 1];
      if (!(index.pairBits[pair >> 6] >> (pair & 63) & 1)) continue;
      std::uint32_t key = pair << 8 | b[i + 2];
      for (std::uint32_t e = index.pairStart[pair]; e < index.pairStart[pair + 1]; ++e) {
        const Signature& sig = db.poly[index.entries[e]];
        if (sig.anchorKey < key) continue;
        if (sig.anchorKey > key) break;
        const Part& first = db.parts[sig.firstPart];
        if (i < sig.anchorAt) continue;  // would start before the buffer, i.e. before the file
        std::size_t s = i - sig.anchorAt;
        if (s + first.length > length) continue;  // would run past the end of the file
        if (!PartMatchesAt(db, first, b + s)) continue;
        GapSearch rest(db, file, sig, budget);
        if (sig.partCount == 1 || rest.Rest(1, bufferStart + static_cast<std::int64_t>(s + first.length))) {
          found.record = sig.record;
          found.virusId = sig.virusId;
          return found;
        }
      }
    }
    if (atEnd) break;
    scanFrom = std::max<std::int64_t>(scanTo, scanFrom);
    // Keep what the next anchor positions may need before them.
    std::int64_t newStart = std::max<std::int64_t>(bufferStart, scanFrom - static_cast<std::int64_t>(index.keepBefore));
    std::size_t drop = static_cast<std::size_t>(newStart - bufferStart);
    std::memmove(b, b + drop, length - drop);
    length -= drop;
    bufferStart = newStart;
  }
  return found;
}

}  // namespace sigscan
