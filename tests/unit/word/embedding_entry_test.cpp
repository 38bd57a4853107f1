// The Word program's path from WIN.INI's [embedding] WordDocument entry, and
// the cut after the last backslash that turns it into Word's folder.
#include <gtest/gtest.h>

#include <string>

#include "core/setup_context.h"
#include "finalise/word_state.h"

namespace {

struct EntryCase {
  std::string entry;
  bool found;
  const char* path;
};

class EmbeddingEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EmbeddingEntry, GivesTheTextFromTheDriveLetterToTheNextComma) {
  const auto& c = GetParam();
  char buffer[vz::kPathCapacity] = "previous";
  EXPECT_EQ(vz::WordPathFromEmbeddingEntry(c.entry.c_str(), buffer, sizeof buffer), c.found);
  EXPECT_STREQ(buffer, c.path);
}

const std::string kLongFolder(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, EmbeddingEntry,
    ::testing::Values(
        EntryCase{"Microsoft Word Document,Microsoft Word Document,C:\\WINWORD\\WINWORD.EXE,picture", true,
                  "C:\\WINWORD\\WINWORD.EXE"},
        EntryCase{"Word,Word,D:\\MSOFFICE\\WINWORD\\WINWORD.EXE,picture", true, "D:\\MSOFFICE\\WINWORD\\WINWORD.EXE"},
        // Only the first ":" counts, whatever comes before it.
        EntryCase{"Word 6.0: Document,C:\\W\\WINWORD.EXE,picture", true, "0: Document"},
        EntryCase{"Word,Word,C:\\WINWORD\\WINWORD.EXE", false, ""},        // no "," after the path
        EntryCase{"Word,Word,WINWORD.EXE,picture", false, ""},             // no ":"
        EntryCase{":\\WINWORD.EXE,picture", false, ""},                    // no drive letter before ":"
        EntryCase{"Word,C:\\" + kLongFolder + "\\WINWORD.EXE,picture", false, ""},  // longer than a path
        EntryCase{"", false, ""}));

TEST(CutAfterLastBackslash, KeepsTheFolderWithItsBackslash) {
  char path[vz::kPathCapacity] = "C:\\MSOFFICE\\WINWORD\\WINWORD.EXE ^.doc";
  EXPECT_TRUE(vz::CutAfterLastBackslash(path));
  EXPECT_STREQ(path, "C:\\MSOFFICE\\WINWORD\\");
  char bare[vz::kPathCapacity] = "WINWORD.EXE";
  EXPECT_FALSE(vz::CutAfterLastBackslash(bare));
  EXPECT_STREQ(bare, "WINWORD.EXE");
}

}  // namespace
