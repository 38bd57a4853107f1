// Filewrap.dll on real files: text and binary modes, CR LF, 180-character
// line pieces, positions, handles used with GetFileTime/SetFileTime, the end
// of a file and read errors ending a read loop.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine.h"
#include "services/filewrap.h"

namespace {

constexpr int kLineCapacity = 180;  // the helper's line buffer

class FileWrap : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "vzfilewrap\\" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    bench::RemoveTree(folder_);
    bench::MakeFolders(folder_);
  }
  void TearDown() override { bench::RemoveTree(folder_); }
  std::string Path(const char* name) const { return folder_ + name; }

  // Every line my_gets delivers, until it returns 0 (bounded, so a loop that
  // never ends fails instead of hanging).
  static std::vector<std::string> AllLines(FileHandle file, int size = kLineCapacity) {
    std::vector<std::string> lines;
    std::vector<char> buffer(size + 16, '#');
    while (lines.size() < 1000 && my_gets(file, size, buffer.data())) {
      lines.emplace_back(buffer.data());
      for (int i = size; i < size + 16; ++i) EXPECT_EQ(buffer[i], '#') << "written beyond the size";
    }
    return lines;
  }

  std::string folder_;
};

using Lines = std::vector<std::string>;

TEST_F(FileWrap, TextLinesComeWithoutTheirEnds) {
  struct Case { std::string bytes; Lines lines; } cases[] = {
      {"one\r\ntwo\nthree\r\n\r\nlast", {"one", "two", "three", "", "last"}},
      {"one\r\n", {"one"}},
      {"", {}},
      {"\r\n", {""}},
      {"a\rb\r\n", {"a\rb"}},                 // a lone CR is a character
      {"end with cr\r", {"end with cr"}},
      {"dos\r\n\x1A" "after the end\r\n", {"dos"}},  // Ctrl-Z ends a text file
  };
  for (const auto& c : cases) {
    bench::WriteFileBytes(Path("LINES.TXT"), c.bytes);
    FileHandle file = my_open(Path("LINES.TXT").c_str(), vz::kOpenTextRead, vz::kPermissionRead);
    ASSERT_NE(file, vz::kOpenFailed);
    EXPECT_EQ(AllLines(file), c.lines) << c.bytes;
    char buffer[kLineCapacity] = "stale";
    EXPECT_EQ(my_gets(file, kLineCapacity, buffer), 0) << "again at the end";
    EXPECT_STREQ(buffer, "");
    EXPECT_NE(my_eof(file), 0);
    my_close(file);
  }
}

TEST_F(FileWrap, LongLinesComeInPiecesOfTheBufferSize) {
  // Pieces of 179 characters: a line end right after a full piece adds no empty line.
  struct Case { int length; std::vector<int> pieces; } cases[] = {
      {178, {178}}, {179, {179}}, {180, {179, 1}}, {181, {179, 2}}, {358, {179, 179}}, {400, {179, 179, 42}}};
  for (const auto& c : cases) {
    std::string line;
    for (int i = 0; i < c.length; ++i) line += static_cast<char>('a' + i % 26);
    bench::WriteFileBytes(Path("LONG.TXT"), line + "\r\nnext\r\n");
    FileHandle file = my_open(Path("LONG.TXT").c_str(), vz::kOpenTextRead, vz::kPermissionRead);
    ASSERT_NE(file, vz::kOpenFailed);
    Lines got = AllLines(file);
    Lines expected;
    int at = 0;
    for (int n : c.pieces) {
      expected.push_back(line.substr(at, n));
      at += n;
    }
    expected.push_back("next");
    EXPECT_EQ(got, expected) << "line of " << c.length;
    my_close(file);
  }
}

TEST_F(FileWrap, PutsWritesCompleteLinesIntoACreatedOrEmptiedFile) {
  // 0x4202 creates a missing file ...
  FileHandle file = my_open(Path("NEW.TXT").c_str(), vz::kOpenTextCreate);
  ASSERT_NE(file, vz::kOpenFailed);
  EXPECT_EQ(my_puts(file, "[rename]"), 1);
  EXPECT_EQ(my_puts(file, ""), 1);
  EXPECT_EQ(my_puts(file, "two\nlines"), 1);
  my_close(file);
  EXPECT_EQ(bench::ReadFileBytes(Path("NEW.TXT")), "[rename]\r\n\r\ntwo\r\nlines\r\n");
  // ... and empties one that exists, hidden or not.
  bench::WriteFileBytes(Path("OLD.TXT"), "a much longer old content\r\n");
  SetFileAttributesA(Path("OLD.TXT").c_str(), FILE_ATTRIBUTE_HIDDEN);
  file = my_open(Path("OLD.TXT").c_str(), vz::kOpenTextCreate);
  ASSERT_NE(file, vz::kOpenFailed);
  EXPECT_EQ(my_puts(file, "new"), 1);
  my_close(file);
  EXPECT_EQ(bench::ReadFileBytes(Path("OLD.TXT")), "new\r\n");
  EXPECT_TRUE(GetFileAttributesA(Path("OLD.TXT").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileWrap, TextModeTranslatesReadsAndWrites) {
  FileHandle file = my_open(Path("T.TXT").c_str(), vz::kOpenTextCreate);
  ASSERT_NE(file, vz::kOpenFailed);
  const char data[] = "a\nb\r\nc\n";
  EXPECT_EQ(my_write(file, data, 7), 7);  // counts the caller's bytes
  my_close(file);
  EXPECT_EQ(bench::ReadFileBytes(Path("T.TXT")), "a\r\nb\r\nc\r\n");

  bench::WriteFileBytes(Path("R.TXT"), std::string("a\r\nb\r\rc\x1A" "d", 9));
  file = my_open(Path("R.TXT").c_str(), vz::kOpenTextRead);
  ASSERT_NE(file, vz::kOpenFailed);
  char buffer[32] = {};
  EXPECT_EQ(my_read(file, buffer, sizeof buffer), 6);
  EXPECT_EQ(std::string(buffer, 6), "a\nb\r\rc");
  EXPECT_EQ(my_tell(file), 7);  // a byte offset, on the Ctrl-Z
  EXPECT_NE(my_eof(file), 0);
  my_close(file);
}

TEST_F(FileWrap, BinaryModeIsByteForByteWithByteOffsets) {
  std::string bytes("MZ\r\n\x1A\0\n\r\xFFtail", 13);
  bench::WriteFileBytes(Path("B.BIN"), bytes);
  FileHandle file = my_open(Path("B.BIN").c_str(), vz::kOpenBinaryRead, vz::kPermissionRead);
  ASSERT_NE(file, vz::kOpenFailed);
  char buffer[32] = {};
  EXPECT_EQ(my_read(file, buffer, 4), 4);
  EXPECT_EQ(my_tell(file), 4);
  EXPECT_EQ(my_eof(file), 0);
  EXPECT_EQ(my_read(file, buffer + 4, 20), 9);  // short only at the end
  EXPECT_EQ(std::string(buffer, 13), bytes);
  EXPECT_EQ(my_eof(file), 1);
  EXPECT_EQ(my_read(file, buffer, 4), 0);
  struct Seek { int32_t offset; int origin; int32_t result; } seeks[] = {
      {2, 0, 2}, {3, 1, 5}, {-1, 1, 4}, {-4, 2, 9}, {0, 2, 13}, {20, 0, 20},  // beyond the end is allowed
      {-1, 0, -1}, {-30, 1, -1}, {0, 3, -1}};
  my_lseek(file, 0, 0);
  for (const auto& s : seeks) {
    int32_t before = my_tell(file);
    EXPECT_EQ(my_lseek(file, s.offset, s.origin), s.result) << s.offset << " from " << s.origin;
    EXPECT_EQ(my_tell(file), s.result < 0 ? before : s.result);  // a failed seek does not move
  }
  my_close(file);

  file = my_open(Path("B.BIN").c_str(), vz::kOpenReadWrite, vz::kPermissionWrite);
  ASSERT_NE(file, vz::kOpenFailed);
  ASSERT_EQ(my_lseek(file, 2, 0), 2);
  EXPECT_EQ(my_write(file, "\n\n", 2), 2);  // patched in place, no translation
  my_close(file);
  EXPECT_EQ(bench::ReadFileBytes(Path("B.BIN")), std::string("MZ\n\n\x1A\0\n\r\xFFtail", 13));
}

TEST_F(FileWrap, HandlesAreWindowsFileHandles) {
  bench::WriteFileBytes(Path("DATED.TXT"), "first\r\nsecond\r\n");
  FileHandle file = my_open(Path("DATED.TXT").c_str(), vz::kOpenReadWrite, vz::kPermissionWrite);
  ASSERT_NE(file, vz::kOpenFailed);
  HANDLE h = reinterpret_cast<HANDLE>(file);
  FILETIME created, accessed, written;
  ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
  SYSTEMTIME when{1998, 5, 0, 14, 10, 30, 0, 0};
  FILETIME stamp;
  SystemTimeToFileTime(&when, &stamp);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &stamp));
  // No data held back: raw reads continue exactly where my_gets stopped.
  char line[kLineCapacity];
  ASSERT_EQ(my_gets(file, kLineCapacity, line), 1);
  EXPECT_STREQ(line, "first");
  char raw[8] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(h, raw, 6, &got, nullptr));
  EXPECT_EQ(std::string(raw, got), "second");
  my_close(file);
  HANDLE check = CreateFileA(Path("DATED.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(check, INVALID_HANDLE_VALUE);
  FILETIME after;
  GetFileTime(check, nullptr, nullptr, &after);
  CloseHandle(check);
  EXPECT_EQ(CompareFileTime(&after, &stamp), 0);
}

TEST_F(FileWrap, AReadErrorEndsAReadLoop) {
  bench::WriteFileBytes(Path("W.TXT"), "line\r\nline\r\n");
  FileHandle file = my_open(Path("W.TXT").c_str(), 1);  // write only: every read fails
  ASSERT_NE(file, vz::kOpenFailed);
  EXPECT_EQ(AllLines(file), Lines{});
  char buffer[8];
  EXPECT_EQ(my_read(file, buffer, sizeof buffer), -1);
  my_close(file);
  // A failed open's handle ends every loop too.
  FileHandle none = my_open(Path("MISSING.TXT").c_str(), vz::kOpenTextRead);
  EXPECT_EQ(none, vz::kOpenFailed);
  EXPECT_EQ(AllLines(none), Lines{});
  EXPECT_NE(my_eof(none), 0);
  EXPECT_EQ(my_read(none, buffer, sizeof buffer), -1);
  EXPECT_EQ(my_write(none, "x", 1), -1);
  EXPECT_EQ(my_tell(none), -1);
  my_close(none);
}

TEST_F(FileWrap, OpensThatMustFail) {
  bench::WriteFileBytes(Path("ONE.TXT"), "x");
  struct Case { std::string path; int flags; } cases[] = {
      {Path("MISSING.TXT"), vz::kOpenTextRead},
      {Path("MISSING.TXT"), vz::kOpenBinaryRead},
      {Path("MISSING.TXT"), vz::kOpenReadWrite},
      {Path("NO\\SUCH\\FOLDER.TXT"), vz::kOpenTextCreate},
      {folder_, vz::kOpenTextCreate},          // a folder
      {Path("ONE.TXT"), 3},                    // no such access
      {Path("ONE.TXT"), 0x0200},               // truncating a file opened for reading only
      {"", vz::kOpenTextRead},
  };
  for (const auto& c : cases) EXPECT_EQ(my_open(c.path.c_str(), c.flags), vz::kOpenFailed) << c.path << " " << c.flags;
  EXPECT_EQ(bench::ReadFileBytes(Path("ONE.TXT")), "x");
  EXPECT_FALSE(bench::FileExists(Path("MISSING.TXT")));
}

TEST_F(FileWrap, OpenFilesAreBoundedAndClosingFreesThem) {
  std::vector<FileHandle> open;
  bench::WriteFileBytes(Path("MANY.TXT"), "x");
  for (int i = 0; i < 64; ++i) {
    FileHandle f = my_open(Path("MANY.TXT").c_str(), vz::kOpenTextRead);
    ASSERT_NE(f, vz::kOpenFailed) << i;
    open.push_back(f);
  }
  EXPECT_EQ(my_open(Path("MANY.TXT").c_str(), vz::kOpenTextRead), vz::kOpenFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_OPEN_FILES));
  my_close(open.back());
  open.pop_back();
  FileHandle again = my_open(Path("MANY.TXT").c_str(), vz::kOpenTextRead);
  EXPECT_NE(again, vz::kOpenFailed);
  open.push_back(again);
  for (FileHandle f : open) my_close(f);
}

}  // namespace
