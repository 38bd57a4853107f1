// Reading VZ.INX (docs/formats/vz-inx.md). Every field is checked against the
// file's size before it is used; an index with any fault is refused whole.
#include "database.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace sigscan {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kRecordSize = 40;
constexpr std::size_t kSectionHeaderSize = 16;
constexpr std::uint8_t kFormatVersion = 1;
constexpr std::uint8_t kFlagSignatureSection = 0x01;
constexpr std::uint8_t kStoredShift = 60;  // stored byte = byte + 60
constexpr std::size_t kMaxIndexSize = 64u << 20;
constexpr std::uint32_t kMaxParts = 16;
constexpr std::uint32_t kMaxPartLength = 4096;
constexpr std::uint32_t kMinPolyAnchor = 3;

enum Op : std::uint8_t { kOpByte = 0, kOpAny = 1, kOpHighNibble = 2, kOpLowNibble = 3, kOpChoice = 4 };

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static std::uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    ready = true;
  }
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// Reads a signature body (already decoded) into elements and parts.
class BodyReader {
 public:
  BodyReader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  bool Byte(std::uint8_t& v) {
    if (at_ + 1 > n_) return false;
    v = p_[at_++];
    return true;
  }
  bool Word(std::uint16_t& v) {
    if (at_ + 2 > n_) return false;
    v = U16(p_ + at_);
    at_ += 2;
    return true;
  }
  bool Dword(std::uint32_t& v) {
    if (at_ + 4 > n_) return false;
    v = U32(p_ + at_);
    at_ += 4;
    return true;
  }
  bool AtEnd() const { return at_ == n_; }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
  std::size_t at_ = 0;
};

bool ReadElement(BodyReader& in, Database& db, Element& e) {
  std::uint8_t op;
  if (!in.Byte(op)) return false;
  switch (op) {
    case kOpByte:
      e.mask = 0xFF;
      return in.Byte(e.value);
    case kOpAny:
      e.mask = 0;
      e.value = 0;
      return true;
    case kOpHighNibble:
    case kOpLowNibble: {
      std::uint8_t v;
      if (!in.Byte(v)) return false;
      e.mask = op == kOpHighNibble ? 0xF0 : 0x0F;
      e.value = static_cast<std::uint8_t>(v & e.mask);
      return true;
    }
    case kOpChoice: {
      std::uint8_t count;
      if (!in.Byte(count) || count < 2) return false;
      std::bitset<256> set;
      for (int i = 0; i < count; ++i) {
        std::uint8_t v;
        if (!in.Byte(v)) return false;
        set.set(v);
      }
      if (db.choices.size() >= 0xFFFF) return false;
      db.choices.push_back(set);
      e.choice = static_cast<std::uint16_t>(db.choices.size());
      return true;
    }
    default:
      return false;
  }
}

bool ReadBody(const std::uint8_t* body, std::size_t size, Database& db, Signature& sig) {
  BodyReader in(body, size);
  std::uint8_t partCount;
  if (!in.Byte(partCount) || partCount < 1 || partCount > kMaxParts) return false;
  if (sig.kind != kPoly && partCount != 1) return false;
  sig.firstPart = static_cast<std::uint32_t>(db.parts.size());
  sig.partCount = partCount;
  for (std::uint32_t k = 0; k < partCount; ++k) {
    Part part;
    if (k > 0) {
      if (!in.Dword(part.gapMin) || !in.Dword(part.gapMax)) return false;
      if (part.gapMax < part.gapMin) return false;
    }
    std::uint16_t length;
    if (!in.Word(length) || length < 1 || length > kMaxPartLength) return false;
    part.first = static_cast<std::uint32_t>(db.elements.size());
    part.length = length;
    for (std::uint32_t i = 0; i < length; ++i) {
      Element e;
      if (!ReadElement(in, db, e)) return false;
      db.elements.push_back(e);
    }
    db.parts.push_back(part);
  }
  return in.AtEnd();
}

// How common a byte is in ordinary files; anchors avoid common bytes.
int Commonness(std::uint8_t b) {
  switch (b) {
    case 0x00: return 3;
    case 0xFF: return 2;
    case 0x20: case 0x90: case 0xCC: return 1;
    default: return 0;
  }
}

// Chooses the three plain bytes of the first part that index a polymorphic
// signature: the least common three in a row.
bool ChooseAnchor(const Database& db, Signature& sig) {
  const Part& part = db.parts[sig.firstPart];
  const Element* e = &db.elements[part.first];
  auto plain = [&](std::uint32_t i) { return e[i].choice == 0 && e[i].mask == 0xFF; };
  int best = -1;
  for (std::uint32_t j = 0; j + kMinPolyAnchor <= part.length; ++j) {
    if (!plain(j) || !plain(j + 1) || !plain(j + 2)) continue;
    int score = Commonness(e[j].value) * 4 + Commonness(e[j + 1].value) * 2 + Commonness(e[j + 2].value);
    if (best < 0 || score < best) {
      best = score;
      sig.anchorAt = j;
      sig.anchorKey = static_cast<std::uint32_t>(e[j].value) << 16 | static_cast<std::uint32_t>(e[j + 1].value) << 8 |
                      e[j + 2].value;
    }
  }
  return best >= 0;
}

void BuildPolyIndex(Database& db) {
  PolyIndex& index = db.polyIndex;
  index.pairBits.assign(65536 / 64, 0);
  index.pairStart.assign(65537, 0);
  std::vector<std::uint32_t> order(db.poly.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  // By key, then by record, so that one position reports the lowest record.
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const Signature& x = db.poly[a];
    const Signature& y = db.poly[b];
    return x.anchorKey != y.anchorKey ? x.anchorKey < y.anchorKey : x.record < y.record;
  });
  index.entries = order;
  for (std::uint32_t n : order) {
    std::uint32_t pair = db.poly[n].anchorKey >> 8;
    index.pairBits[pair / 64] |= std::uint64_t{1} << (pair % 64);
    ++index.pairStart[pair + 1];
  }
  for (std::size_t i = 1; i < index.pairStart.size(); ++i) index.pairStart[i] += index.pairStart[i - 1];
  index.keepBefore = 0;
  index.keepAfter = 0;
  for (const Signature& s : db.poly) {
    std::size_t length = db.parts[s.firstPart].length;
    index.keepBefore = std::max<std::size_t>(index.keepBefore, s.anchorAt);
    index.keepAfter = std::max<std::size_t>(index.keepAfter, length - s.anchorAt);
  }
}

}  // namespace

bool ParseDatabase(const std::uint8_t* data, std::size_t size, Database& db) {
  db = Database{};
  if (size < kHeaderSize + kSectionHeaderSize) return false;
  if (data[0] != 'V' || data[1] != 'Z' || data[2] != kFormatVersion || !(data[3] & kFlagSignatureSection))
    return false;
  std::uint32_t sectionAt = U32(data + 4);
  if (sectionAt < kHeaderSize || (sectionAt - kHeaderSize) % kRecordSize != 0) return false;
  if (sectionAt > size || size - sectionAt < kSectionHeaderSize) return false;
  std::size_t records = (sectionAt - kHeaderSize) / kRecordSize;
  if (records > 32767) return false;  // record numbers are 16-bit signed
  const std::uint8_t* section = data + sectionAt;
  if (std::memcmp(section, "VZSG", 4) != 0 || U32(section + 4) != records) return false;
  std::uint32_t bodyBytes = U32(section + 8);
  if (bodyBytes != size - sectionAt - kSectionHeaderSize) return false;
  const std::uint8_t* bodies = section + kSectionHeaderSize;
  if (Crc32(bodies, bodyBytes) != U32(section + 12)) return false;

  std::vector<std::uint8_t> body;
  for (std::size_t n = 0; n < records; ++n) {
    const std::uint8_t* r = data + kHeaderSize + kRecordSize * n;
    Signature sig;
    sig.kind = static_cast<Kind>(r[0]);
    sig.anchor = static_cast<Anchor>(r[1]);
    sig.virusId = static_cast<std::int16_t>(U16(r + 2));
    sig.offset = static_cast<std::int32_t>(U32(r + 4));
    sig.shift = U16(r + 8);
    sig.section = U16(r + 10);
    sig.record = static_cast<std::int16_t>(n);
    std::uint32_t bodyAt = U32(r + 12);
    std::uint16_t bodyLength = U16(r + 16);
    if (sig.kind == kNone) continue;  // a record that only holds a name
    if (sig.kind != kTop && sig.kind != kBottom && sig.kind != kPoly && sig.kind != kPe) return false;
    if (sig.virusId < 0) return false;  // -1 means "nothing found"
    if (sig.kind == kPe && sig.anchor > kLastSectionStart) return false;
    if (sig.kind == kTop && sig.offset < 0) return false;
    if (sig.kind == kBottom && sig.offset <= 0) return false;
    if (bodyAt > bodyBytes || bodyLength > bodyBytes - bodyAt || bodyLength == 0) return false;
    body.resize(bodyLength);
    for (std::size_t i = 0; i < bodyLength; ++i)
      body[i] = static_cast<std::uint8_t>(bodies[bodyAt + i] - kStoredShift);
    if (!ReadBody(body.data(), body.size(), db, sig)) return false;
    switch (sig.kind) {
      case kTop: db.top.push_back(sig); break;
      case kBottom: db.bottom.push_back(sig); break;
      case kPe: db.pe.push_back(sig); break;
      default:
        if (!ChooseAnchor(db, sig)) return false;
        db.poly.push_back(sig);
        break;
    }
  }
  BuildPolyIndex(db);
  return true;
}

bool LoadDatabase(const char* path, Database& db) {
  if (!path) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            static_cast<unsigned long long>(size.QuadPart) <= kMaxIndexSize;
  std::unique_ptr<std::uint8_t[]> data;
  if (ok) {
    data.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size.QuadPart) + 1]);
    ok = data != nullptr;
  }
  std::size_t got = 0;
  while (ok && got < static_cast<std::size_t>(size.QuadPart)) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(static_cast<std::size_t>(size.QuadPart) - got, 1u << 20));
    if (!ReadFile(file, data.get() + got, want, &n, nullptr) || n == 0) ok = false;
    got += n;
  }
  CloseHandle(file);
  return ok && ParseDatabase(data.get(), got, db);
}

}  // namespace sigscan
