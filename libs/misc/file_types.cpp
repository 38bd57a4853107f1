// The scanner's file inspection: CheckFileType and GetVirExeStart. Every read
// is checked against the file's size, so truncated and lying headers give a
// plain answer, and the caller's file position is restored.
#include <windows.h>

#include <cstdint>

#include "misc_dll.h"

namespace {

constexpr uint32_t kDosHeaderSize = 0x40;     // through e_lfanew
constexpr uint32_t kNewHeaderPointer = 0x3C;  // e_lfanew
constexpr uint32_t kMaxSections = 96;         // the most the Windows loader accepts
constexpr uint32_t kSectionEntrySize = 40;
constexpr uint32_t kComLoadOffset = 0x100;    // a COM program starts after the program segment prefix

// Reads a file by offset within its size; restores the caller's position
// when it goes.
class FileReader {
 public:
  explicit FileReader(HANDLE file) : file_(file) {
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
    ok_ = !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    saved_ = (static_cast<int64_t>(high) << 32) | low;
    DWORD sizeHigh = 0;
    SetLastError(NO_ERROR);
    DWORD sizeLow = GetFileSize(file, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) ok_ = false;
    size_ = (static_cast<int64_t>(sizeHigh) << 32) | sizeLow;
  }
  ~FileReader() {
    if (!ok_) return;
    LONG high = static_cast<LONG>(saved_ >> 32);
    SetFilePointer(file_, static_cast<LONG>(saved_ & 0xFFFFFFFF), &high, FILE_BEGIN);
  }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool Ok() const { return ok_; }
  int64_t Size() const { return size_; }

  bool Read(int64_t offset, void* out, DWORD count) {
    if (!ok_ || offset < 0 || offset + count > size_) return false;
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file_, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
    DWORD got = 0;
    return ReadFile(file_, out, count, &got, nullptr) && got == count;
  }
  bool Byte(int64_t offset, uint8_t* value) { return Read(offset, value, 1); }
  bool Word(int64_t offset, uint16_t* value) {
    uint8_t b[2];
    if (!Read(offset, b, 2)) return false;
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }
  bool Dword(int64_t offset, uint32_t* value) {
    uint8_t b[4];
    if (!Read(offset, b, 4)) return false;
    *value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }

 private:
  HANDLE file_;
  bool ok_ = false;
  int64_t saved_ = 0;
  int64_t size_ = 0;
};

bool HasMzHeader(FileReader& f) {
  uint8_t sig[2];
  return f.Read(0, sig, 2) && ((sig[0] == 'M' && sig[1] == 'Z') || (sig[0] == 'Z' && sig[1] == 'M'));
}

// The new header's offset when the MZ header points at one with this signature.
bool NewHeader(FileReader& f, const char* signature, DWORD length, uint32_t* offset) {
  if (!HasMzHeader(f) || f.Size() < kDosHeaderSize || !f.Dword(kNewHeaderPointer, offset) || *offset < 4) return false;
  char sig[4];
  if (!f.Read(*offset, sig, length)) return false;
  for (DWORD i = 0; i < length; ++i)
    if (sig[i] != signature[i]) return false;
  return true;
}

// A file offset, when it lies inside the file.
int32_t InFile(FileReader& f, int64_t offset) {
  return offset >= 0 && offset < f.Size() && offset <= INT32_MAX ? static_cast<int32_t>(offset) : vzmisc::kNoEntry;
}

int32_t DosEntry(FileReader& f) {
  uint16_t paragraphs, ip, cs;
  if (!HasMzHeader(f) || !f.Word(8, &paragraphs) || !f.Word(0x14, &ip) || !f.Word(0x16, &cs)) return vzmisc::kNoEntry;
  int64_t header = static_cast<int64_t>(paragraphs) * 16;
  // CS:IP relative to the load module, with real-mode address wrap-around.
  int64_t inModule = (static_cast<int64_t>(cs) * 16 + ip) & 0xFFFFF;
  return InFile(f, header + inModule);
}

int32_t PeEntry(FileReader& f) {
  uint32_t pe;
  if (!NewHeader(f, "PE\0\0", 4, &pe)) return vzmisc::kNoEntry;
  uint16_t sections, optionalSize;
  uint32_t entry, fileAlignment = 0, headersSize = 0;
  int64_t optional = static_cast<int64_t>(pe) + 24;
  if (!f.Word(pe + 6, &sections) || !f.Word(pe + 20, &optionalSize) || optionalSize < 20 ||
      !f.Dword(optional + 16, &entry))
    return vzmisc::kNoEntry;
  if (optionalSize >= 40) f.Dword(optional + 36, &fileAlignment);
  if (optionalSize >= 64) f.Dword(optional + 60, &headersSize);
  if (entry == 0) return vzmisc::kNoEntry;  // no entry point (a resource-only library)
  int64_t table = optional + optionalSize;
  uint32_t count = sections < kMaxSections ? sections : kMaxSections;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t s[kSectionEntrySize];
    if (!f.Read(table + static_cast<int64_t>(i) * kSectionEntrySize, s, kSectionEntrySize)) break;
    auto field = [&](int at) { return s[at] | (s[at + 1] << 8) | (s[at + 2] << 16) | (static_cast<uint32_t>(s[at + 3]) << 24); };
    uint32_t virtualSize = field(8), address = field(12), rawSize = field(16), rawPointer = field(20);
    uint32_t span = virtualSize ? virtualSize : rawSize;
    if (entry < address || entry - address >= span) continue;
    uint32_t delta = entry - address;
    if (delta >= rawSize) return vzmisc::kNoEntry;  // in the section's part that has no file data
    // The loader reads a section from its raw pointer rounded down to 512 bytes.
    if (fileAlignment >= 0x200) rawPointer &= ~0x1FFu;
    return InFile(f, static_cast<int64_t>(rawPointer) + delta);
  }
  // Not in a section: the headers are mapped as they are in the file.
  return entry < headersSize ? InFile(f, entry) : vzmisc::kNoEntry;
}

int32_t NeEntry(FileReader& f) {
  uint32_t ne;
  if (!NewHeader(f, "NE", 2, &ne)) return vzmisc::kNoEntry;
  uint16_t ip, cs, segments, table, shift;
  if (!f.Word(ne + 0x14, &ip) || !f.Word(ne + 0x16, &cs) || !f.Word(ne + 0x1C, &segments) ||
      !f.Word(ne + 0x22, &table) || !f.Word(ne + 0x32, &shift))
    return vzmisc::kNoEntry;
  if (shift == 0) shift = 9;
  if (cs == 0 || cs > segments || shift > 16) return vzmisc::kNoEntry;
  uint16_t sector;
  if (!f.Word(static_cast<int64_t>(ne) + table + (cs - 1) * 8, &sector) || sector == 0) return vzmisc::kNoEntry;
  return InFile(f, (static_cast<int64_t>(sector) << shift) + ip);
}

int32_t ComEntry(FileReader& f) {
  uint8_t op;
  if (!f.Byte(0, &op)) return vzmisc::kNoEntry;
  int64_t next;  // the offset after the jump instruction, and its displacement
  int64_t displacement;
  if (op == 0xE9) {
    uint16_t rel;
    if (!f.Word(1, &rel)) return vzmisc::kNoEntry;
    next = 3;
    displacement = static_cast<int16_t>(rel);
  } else if (op == 0xEB) {
    uint8_t rel;
    if (!f.Byte(1, &rel)) return vzmisc::kNoEntry;
    next = 2;
    displacement = static_cast<int8_t>(rel);
  } else {
    return 0;  // runs from its first byte
  }
  // The jump works on the 16-bit IP of a program loaded at 100h.
  int64_t ip = (kComLoadOffset + next + displacement) & 0xFFFF;
  return InFile(f, ip - static_cast<int64_t>(kComLoadOffset));
}

}  // namespace

short CheckFileType(HANDLE file) {
  FileReader f(file);
  if (!f.Ok() || f.Size() == 0) return vzmisc::kTypeOther;
  uint32_t offset;
  if (HasMzHeader(f)) {
    if (NewHeader(f, "PE\0\0", 4, &offset)) return vzmisc::kTypePE;
    if (NewHeader(f, "NE", 2, &offset)) return vzmisc::kTypeNE;
    return vzmisc::kTypeMZ;
  }
  return f.Size() <= vzmisc::kMaxComSize ? vzmisc::kTypeCOM : vzmisc::kTypeOther;
}

int32_t GetVirExeStart(HANDLE file, short fileType) {
  FileReader f(file);
  if (!f.Ok()) return vzmisc::kNoEntry;
  switch (fileType) {
    case vzmisc::kTypePE: return PeEntry(f);
    case vzmisc::kTypeNE: return NeEntry(f);
    case vzmisc::kTypeMZ: return DosEntry(f);
    case vzmisc::kTypeCOM: return ComEntry(f);
    default: return 0;
  }
}
