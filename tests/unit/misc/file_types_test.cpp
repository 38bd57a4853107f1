// misc.dll CheckFileType and GetVirExeStart on real files: a built program,
// and hand-made COM, MZ, NE and PE files, whole, truncated and lying.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine.h"
#include "misc_test_support.h"
#include "services/misc.h"

namespace {

// A file image built byte by byte.
struct Image {
  std::string bytes;
  explicit Image(size_t size, char fill = '\0') : bytes(size, fill) {}
  Image& At(size_t offset, const std::string& text) {
    bytes.replace(offset, text.size(), text);
    return *this;
  }
  Image& Word(size_t offset, unsigned value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
    return *this;
  }
  Image& Dword(size_t offset, unsigned value) { return Word(offset, value & 0xFFFF).Word(offset + 2, value >> 16); }
  Image& Cut(size_t size) {
    bytes.resize(size);
    return *this;
  }
};

// DOS program: header of 2 paragraphs, entry CS:IP.
Image Dos(unsigned cs, unsigned ip, size_t size = 0x100) {
  return Image(size).At(0, "MZ").Word(8, 2).Word(0x14, ip).Word(0x16, cs);
}

// Win32 program: new header at 0x80, two sections (VA 1000h raw 400h; VA 2000h raw 600h).
Image Pe(unsigned entry, unsigned sections = 2, unsigned secondRaw = 0x600) {
  Image image(0x800);
  image.At(0, "MZ").Dword(0x3C, 0x80).At(0x80, std::string("PE\0\0", 4));
  image.Word(0x84, 0x14C).Word(0x86, sections).Word(0x94, 0xE0);
  const size_t opt = 0x98;
  image.Word(opt, 0x10B).Dword(opt + 16, entry).Dword(opt + 36, 0x200).Dword(opt + 60, 0x400);
  const size_t table = opt + 0xE0;
  image.At(table, ".text").Dword(table + 8, 0x1000).Dword(table + 12, 0x1000).Dword(table + 16, 0x200).Dword(table + 20, 0x400);
  image.At(table + 40, ".data").Dword(table + 48, 0x100).Dword(table + 52, 0x2000).Dword(table + 56, 0x200).Dword(table + 60, secondRaw);
  return image;
}

// Win16 program: new header at 80h, two segments at sectors 10h and 20h (shift 4).
Image Ne(unsigned cs, unsigned ip, unsigned shift = 4, unsigned secondSector = 0x20) {
  Image image(0x400);
  image.At(0, "MZ").Dword(0x3C, 0x80).At(0x80, "NE");
  image.Word(0x94, ip).Word(0x96, cs).Word(0x9C, 2).Word(0xA2, 0x40).Word(0xB2, shift);
  image.Word(0xC0, 0x10).Word(0xC8, secondSector);
  return image;
}

Image Com(const std::string& start, size_t size = 0x40) { return Image(size, '\x90').At(0, start); }

struct Case {
  const char* what;
  std::string bytes;
  short type;
  int32_t entry;  // GetVirExeStart with that type
};

void CheckCase(const std::string& path, const Case& c) {
  bench::WriteFileBytes(path, c.bytes);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG start = static_cast<LONG>(c.bytes.size() / 2);
  SetFilePointer(file, start, nullptr, FILE_BEGIN);
  EXPECT_EQ(CheckFileType(file), c.type) << c.what;
  EXPECT_EQ(GetVirExeStart(file, c.type), c.entry) << c.what;
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), static_cast<DWORD>(start)) << c.what << ": position moved";
  CloseHandle(file);
}

TEST(FileTypes, HandMadeProgramsWholeTruncatedAndLying) {
  const Case cases[] = {
      {"COM, near jump", Com(std::string("\xE9\x10\x00", 3)).bytes, 4, 0x13},
      {"COM, short jump", Com("\xEB\x05").bytes, 4, 7},
      {"COM, no jump", Com("\xB4\x09\xBA").bytes, 4, 0},
      {"COM, jump back before the start", Com("\xE9\xF0\xFF").bytes, 4, -1},
      {"COM, jump beyond the end", Com(std::string("\xE9\x00\x10", 3)).bytes, 4, -1},
      {"COM, cut inside the jump", "\xE9", 4, -1},
      {"too large for a COM", std::string(70000, 'x'), 0, 0},
      {"empty", "", 0, 0},
      {"DOS program", Dos(1, 5).bytes, 3, 32 + 16 + 5},
      {"DOS program, ZM", Dos(1, 5).At(0, "ZM").bytes, 3, 53},
      {"DOS program, CS wrapping below the module", Dos(0xFFFF, 0x20).bytes, 3, 32 + 16},
      {"DOS program, entry beyond the end", Dos(0x100, 0).bytes, 3, -1},
      {"DOS program, header larger than the file", Dos(1, 5).Word(8, 0x100).bytes, 3, -1},
      {"DOS program, cut to its signature", "MZ", 3, -1},
      {"DOS program, new header pointer beyond the end", Dos(1, 5).Dword(0x3C, 0x7FFFFFF0).bytes, 3, 53},
      {"DOS program with a linear executable", Dos(1, 5).Dword(0x3C, 0x80).At(0x80, "LE").bytes, 3, 53},
      {"NE", Ne(2, 0x10).bytes, 2, 0x210},
      {"NE, shift 0 means 512", Ne(2, 0x10, 0, 1).bytes, 2, 0x210},
      {"NE, entry segment beyond the table", Ne(3, 0x10).bytes, 2, -1},
      {"NE, segment beyond the end", Ne(2, 0x10, 4, 0x1000).bytes, 2, -1},
      {"NE, cut after its signature", Ne(2, 0x10).Cut(0x84).bytes, 2, -1},
      {"PE, entry in the second section", Pe(0x2010).bytes, 1, 0x610},
      {"PE, entry in the first section", Pe(0x1010).bytes, 1, 0x410},
      {"PE, raw pointer rounded down as the loader does", Pe(0x2010, 2, 0x6F0).bytes, 1, 0x610},
      {"PE, entry in the headers", Pe(0x50).bytes, 1, 0x50},
      {"PE, entry in a section's part without file data", Pe(0x1300).bytes, 1, -1},
      {"PE, entry in no section", Pe(0x9000).bytes, 1, -1},
      {"PE, no entry point", Pe(0).bytes, 1, -1},
      {"PE, section count lying", Pe(0x9000, 0xFFFF).bytes, 1, -1},
      {"PE, section data beyond the end", Pe(0x2010, 2, 0x10000).bytes, 1, -1},
      {"PE, cut after its signature", Pe(0x2010).Cut(0x88).bytes, 1, -1},
  };
  std::string folder = misctest::CaseFolder();
  for (const auto& c : cases) CheckCase(folder + "SAMPLE.BIN", c);
  bench::RemoveTree(folder);
}

TEST(FileTypes, AStartValueOnlyForTheFormatItBelongsTo) {
  std::string folder = misctest::CaseFolder();
  bench::WriteFileBytes(folder + "PE.EXE", Pe(0x2010).bytes);
  HANDLE file = CreateFileA((folder + "PE.EXE").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetVirExeStart(file, 2), -1);  // not an NE program
  EXPECT_EQ(GetVirExeStart(file, 0), 0);
  EXPECT_EQ(GetVirExeStart(file, 3), 0);   // its DOS stub: CS:IP 0:0 after an empty header
  CloseHandle(file);
  EXPECT_EQ(CheckFileType(INVALID_HANDLE_VALUE), 0);
  EXPECT_EQ(GetVirExeStart(INVALID_HANDLE_VALUE, 1), -1);
  bench::RemoveTree(folder);
}

// A program built by the toolchain: its entry point's bytes in the file are
// the bytes the loader put at the entry point in memory.
TEST(FileTypes, ABuiltProgramsEntryPoint) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_EQ(CheckFileType(file), 1);
  int32_t offset = GetVirExeStart(file, 1);
  ASSERT_GT(offset, 0);
  auto base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const unsigned char* entry = base + nt->OptionalHeader.AddressOfEntryPoint;
  unsigned char bytes[16];
  DWORD got = 0;
  SetFilePointer(file, offset, nullptr, FILE_BEGIN);
  ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &got, nullptr));
  CloseHandle(file);
  ASSERT_EQ(got, sizeof bytes);
  EXPECT_EQ(std::memcmp(bytes, entry, sizeof bytes), 0);
}

}  // namespace
