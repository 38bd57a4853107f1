#include "pe_layout.h"

namespace sigscan {

namespace {

constexpr std::uint32_t kMaxHeaderOffset = 1u << 24;  // e_lfanew beyond 16 MiB is not believed
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kCoffHeaderSize = 20;
constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::uint32_t kEntryPointAt = 16;    // in the optional header, both forms
constexpr std::uint32_t kHeaderSizeAt = 60;    // SizeOfHeaders, both forms

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

PeLayout ReadPeLayout(FileReader& file) {
  PeLayout layout;
  std::uint8_t dos[64];
  if (file.ReadAt(0, dos, sizeof dos) != sizeof dos || dos[0] != 'M' || dos[1] != 'Z') return layout;
  std::uint32_t peAt = U32(dos + 0x3C);
  if (peAt > kMaxHeaderOffset) return layout;

  // Signature, file header and the optional header up to SizeOfHeaders.
  std::uint8_t head[4 + kCoffHeaderSize + kHeaderSizeAt + 4];
  if (file.ReadAt(peAt, head, sizeof head) != sizeof head) return layout;
  if (head[0] != 'P' || head[1] != 'E' || head[2] != 0 || head[3] != 0) return layout;
  const std::uint8_t* coff = head + 4;
  std::uint16_t sectionCount = U16(coff + 2);
  std::uint16_t optionalSize = U16(coff + 16);
  if (sectionCount == 0 || sectionCount > kMaxSections) return layout;
  if (optionalSize < kHeaderSizeAt + 4) return layout;
  const std::uint8_t* optional = coff + kCoffHeaderSize;
  std::uint16_t magic = U16(optional);
  if (magic != kPe32 && magic != kPe32Plus) return layout;
  std::uint32_t entryRva = U32(optional + kEntryPointAt);
  std::uint32_t headerSize = U32(optional + kHeaderSizeAt);

  std::int64_t tableAt = static_cast<std::int64_t>(peAt) + 4 + kCoffHeaderSize + optionalSize;
  std::uint8_t table[kMaxSections * kSectionHeaderSize];
  std::size_t tableSize = static_cast<std::size_t>(sectionCount) * kSectionHeaderSize;
  if (file.ReadAt(tableAt, table, tableSize) != tableSize) return layout;  // truncated table
  for (int i = 0; i < sectionCount; ++i) {
    const std::uint8_t* s = table + i * kSectionHeaderSize;
    layout.sections[i].rva = U32(s + 12);
    layout.sections[i].rawSize = U32(s + 16);
    layout.sections[i].rawOffset = U32(s + 20);
  }
  layout.sectionCount = sectionCount;
  layout.valid = true;

  // The entry point in the file: inside the headers it is its own offset;
  // otherwise in the last section whose raw data holds it.
  if (entryRva < headerSize) {
    if (entryRva < file.Size()) {
      layout.hasEntryPoint = true;
      layout.entryPoint = entryRva;
    }
    return layout;
  }
  for (int i = sectionCount - 1; i >= 0; --i) {
    const PeSection& s = layout.sections[i];
    if (s.rawSize != 0 && s.rva <= entryRva && entryRva - s.rva < s.rawSize) {
      layout.hasEntryPoint = true;
      layout.entryPoint = static_cast<std::int64_t>(entryRva - s.rva) + s.rawOffset;
      break;
    }
  }
  return layout;
}

}  // namespace sigscan
