// Driver path patching: the first run of 19 equal letters in a driver file
// is overwritten with a path and its terminator, found through overlapping
// 512-byte windows.
#include <gtest/gtest.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/driver_paths.h"
#include "machine.h"
#include "scratch_files.h"

using bench::ReadFileBytes;
using bench::WriteFileBytes;

namespace {

constexpr std::size_t kNotFound = std::string::npos;
const std::string kZ(19, 'z');
const std::string kPath29 = "c:\\progra~1\\velzor\\nexolt.drv";  // 29 characters: 30 bytes with the terminator

// Filler that holds no run of letters: byte i is i % 7 + '0'.
std::string Filler(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('0' + i % 7);
  return bytes;
}

std::string With(std::string bytes, std::size_t at, const std::string& text) { return bytes.replace(at, text.size(), text); }

struct PatchCase {
  const char* name;
  std::string file;
  std::size_t patchedAt;  // kNotFound: not found
};

void PrintTo(const PatchCase& c, std::ostream* os) { *os << c.name; }

class Placeholder : public ::testing::TestWithParam<PatchCase> {};

TEST_P(Placeholder, IsPatchedAtItsLowestOffset) {
  std::string path = bench::ScratchFolder("DRIVER") + "NEXOLT.SYS";
  const PatchCase& c = GetParam();
  WriteFileBytes(path, c.file);

  int result = vz::PatchPlaceholder(path.c_str(), kZ.c_str(), kPath29.c_str());

  std::string expected = c.file;
  if (c.patchedAt != kNotFound) {
    std::string written = kPath29 + '\0';  // over the placeholder and the 11 bytes after it
    expected.resize(std::max(expected.size(), c.patchedAt + written.size()));
    expected.replace(c.patchedAt, written.size(), written);
  }
  EXPECT_EQ(result, c.patchedAt != kNotFound ? 1 : 0);
  EXPECT_EQ(ReadFileBytes(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, Placeholder,
    ::testing::Values(
        PatchCase{"AtOffsetZero", With(Filler(600), 0, kZ), 0},
        // 493 is the last start the first window holds whole; 494 is found in the second (start 493).
        PatchCase{"AtOffset493", With(Filler(1000), 493, kZ), 493},
        PatchCase{"AtOffset494", With(Filler(1000), 494, kZ), 494},
        PatchCase{"StraddlingTheFirstWindow", With(Filler(1000), 500, kZ), 500},
        // Windows start at 0, 493, 986; the last one holds the 214 bytes 986..1199.
        PatchCase{"InTheLastShortWindow", With(Filler(1200), 1181, kZ), 1181},
        PatchCase{"LastBytesOfAFileOfOneWindowAndABit", With(Filler(530), 511, kZ), 511},
        PatchCase{"FirstOfTwo", With(With(Filler(2000), 1500, kZ), 700, kZ), 700},
        PatchCase{"RunOf25FromItsFirstByte", With(Filler(600), 100, std::string(25, 'z')), 100},
        PatchCase{"PlaceholderIsTheWholeFile", kZ, 0},  // the text runs past its end
        PatchCase{"Only18", With(Filler(600), 100, std::string(18, 'z') + "x"), kNotFound},
        PatchCase{"UpperCase", With(Filler(600), 100, std::string(19, 'Z')), kNotFound},
        PatchCase{"OtherLetter", With(Filler(600), 100, std::string(19, 'y')), kNotFound},
        PatchCase{"FileShorterThanThePlaceholder", std::string(18, 'z'), kNotFound},
        PatchCase{"EmptyFile", std::string(), kNotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Placeholder, AMissingFileIsNotCreated) {
  std::string path = bench::ScratchFolder("DRIVER") + "NEXOLT.SYS";
  EXPECT_EQ(vz::PatchPlaceholder(path.c_str(), kZ.c_str(), kPath29.c_str()), 0);
  EXPECT_FALSE(bench::FileExists(path));
}

TEST(Placeholder, AReadOnlyFileIsPatchedAndLeftWritable) {
  std::string path = bench::ScratchFolder("DRIVER") + "NEXOLT.SYS";
  WriteFileBytes(path, With(Filler(600), 40, kZ));
  bench::SetReadOnly(path);

  EXPECT_EQ(vz::PatchPlaceholder(path.c_str(), kZ.c_str(), kPath29.c_str()), 1);
  EXPECT_FALSE(bench::IsReadOnly(path));
  EXPECT_EQ(ReadFileBytes(path)->substr(40, 30), kPath29 + '\0');
}

TEST(Placeholder, ASecondPatchFindsNothing) {
  std::string path = bench::ScratchFolder("DRIVER") + "NEXOLT.SYS";
  WriteFileBytes(path, With(Filler(600), 40, kZ));
  ASSERT_EQ(vz::PatchPlaceholder(path.c_str(), kZ.c_str(), kPath29.c_str()), 1);
  auto patched = ReadFileBytes(path);

  EXPECT_EQ(vz::PatchPlaceholder(path.c_str(), kZ.c_str(), "c:\\other\\vz.inx"), 0);
  EXPECT_EQ(ReadFileBytes(path), patched);
}

TEST(Placeholder, MatchInWindowTriesEveryStartInOrder) {
  const unsigned char window[] = "abcabcab";
  EXPECT_EQ(vz::MatchInWindow(window, 8, "cab", 3), 2);
  EXPECT_EQ(vz::MatchInWindow(window, 8, "cabx", 4), -1);
  EXPECT_EQ(vz::MatchInWindow(window, 8, "ab", 2), 0);
  EXPECT_EQ(vz::MatchInWindow(window, 7, "cab", 3), 2);
  EXPECT_EQ(vz::MatchInWindow(window, 4, "bca", 3), 1);
  EXPECT_EQ(vz::MatchInWindow(window, 2, "abc", 3), -1);  // fewer bytes than the placeholder
}

// --- The product's driver files, patched with the install folder ------------------

// Reads a 32-bit little-endian field.
uint32_t Field32(const std::string& bytes, std::size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::string TextAt(const std::string& bytes, std::size_t at) { return std::string(bytes.c_str() + at); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

class DriverFiles : public ::testing::Test {
 protected:
  // An install folder holding the driver files as the media carries them.
  std::string Install(const std::string& folder) {
    bench::MakeFolders(folder);
    for (const char* name : {"NEXOLT.SYS", "NEXOLT.DRV"}) {
      auto media = ReadFileBytes(bench::TestMachine::MediaFolder() + name);
      EXPECT_TRUE(media) << name << " is not on the media";
      WriteFileBytes(folder + name, media.value_or(""));
    }
    vz::CopyText(vz::g_setup.installFolder, bench::ShortPath(folder).c_str());
    return folder;
  }
};

TEST_F(DriverFiles, EachPlaceholderReceivesItsPath) {
  std::string folder = Install(bench::ScratchFolder("DRIVERS") + "Velzor Anti Virus\\");
  std::string prefix = Lower(bench::ShortPath(folder));

  vz::PatchDriverPaths();

  // The slots' offsets are in each file's header (docs/formats/driver-files.md).
  auto sys = ReadFileBytes(folder + "NEXOLT.SYS").value_or("");
  auto drv = ReadFileBytes(folder + "NEXOLT.DRV").value_or("");
  ASSERT_GE(sys.size(), 64u);
  ASSERT_GE(drv.size(), 64u);
  EXPECT_EQ(TextAt(sys, Field32(sys, 12)), prefix + "nexolt.drv");
  EXPECT_EQ(TextAt(sys, Field32(sys, 16)), prefix + "vz.inx");
  EXPECT_EQ(TextAt(drv, Field32(drv, 12)), prefix + "vz.inx");
}

// A folder whose short path has the given length (backslash included), made of 8.3 names.
std::string FolderOfLength(std::size_t length) {
  std::string folder = bench::ScratchFolder("DEEP");  // C:\VZTEST\DEEP\ (15)
  while (length - folder.size() > 9) folder += "ABCDE\\";
  return folder + std::string(length - folder.size() - 1, 'X') + "\\";
}

TEST_F(DriverFiles, AShortPathOf79CharactersFits) {
  std::string folder = Install(FolderOfLength(79));
  ASSERT_EQ(bench::ShortPath(folder).size(), 79u);
  EXPECT_EQ(vz::PatchDriverFile("NEXOLT.SYS", 'z', "nexolt.drv"), 1);
  auto sys = ReadFileBytes(folder + "NEXOLT.SYS").value_or("");
  EXPECT_EQ(TextAt(sys, Field32(sys, 12)), Lower(folder) + "nexolt.drv");
}

TEST_F(DriverFiles, AShortPathOver79CharactersWritesNothing) {
  std::string folder = Install(FolderOfLength(80));
  ASSERT_EQ(bench::ShortPath(folder).size(), 80u);
  auto before = ReadFileBytes(folder + "NEXOLT.SYS");

  EXPECT_EQ(vz::PatchDriverFile("NEXOLT.SYS", 'z', "nexolt.drv"), 0);
  vz::PatchDriverPaths();

  EXPECT_EQ(ReadFileBytes(folder + "NEXOLT.SYS"), before);
}

}  // namespace
