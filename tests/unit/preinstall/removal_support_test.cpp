// Which texts the removal steps take for a previous install folder: only an
// absolute folder path; anything else would make them run or change files
// relative to wherever the helper happens to run.
#include <gtest/gtest.h>

#include "preinstall/removal_support.h"

namespace {

struct FolderCase {
  const char* text;
  bool folder;
};

class PreviousInstallFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(PreviousInstallFolder, OnlyAnAbsoluteFolderPathCounts) {
  EXPECT_EQ(vz::IsPreviousInstallFolder(GetParam().text), GetParam().folder) << "\"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PreviousInstallFolder,
    ::testing::Values(FolderCase{"c:\\app\\", true}, FolderCase{"C:\\", true}, FolderCase{"d:\\progra~1\\velzor\\", true},
                      FolderCase{"\\\\server\\share\\velzor\\", true},
                      FolderCase{"", false},                // nothing found
                      FolderCase{"data.log", false},        // "-f" followed by a bare file name
                      FolderCase{"c:\\app", false},         // not ended as a folder
                      FolderCase{"app\\", false},           // relative to the current folder
                      FolderCase{"\\app\\", false},         // relative to the current drive
                      FolderCase{"c:app\\", false},         // relative to drive C:'s current folder
                      FolderCase{"\\\\\\", false}, FolderCase{"1:\\app\\", false}));

TEST(PreviousInstallFolderNull, IsNoFolder) { EXPECT_FALSE(vz::IsPreviousInstallFolder(nullptr)); }

}  // namespace
