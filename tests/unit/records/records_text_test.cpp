// The computations on record texts: the "UninstPath" parsing, version values
// and flags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/records.h"

namespace vz {
namespace {

TEST(RecordTexts, PreviousFolderFromTheUninstallCommand) {
  struct Case { const char* command; const char* folder; } cases[] = {
      {"C:\\WINDOWS\\UNINST.EXE -f C:\\APP\\DATA.LOG", "c:\\app\\"},       // one blank: the blank is skipped
      {"C:\\WINDOWS\\UNINST.EXE -fXC:\\APP\\DATA.LOG", "c:\\app\\"},       // any one character is skipped
      {"C:\\WINDOWS\\Uninst.exe  -f C:\\APP\\DATA.LOG", "c:\\app\\"},      // two blanks before "-f"
      {"C:\\WINDOWS\\UNINST.EXE -f C:\\Program Files\\VZ\\VZ.LOG", "c:\\program files\\vz\\"},
      {"C:\\WINDOWS\\UNINST.EXE -f DATA.LOG", "data.log"},                // no backslash after: the whole rest
      {"C:\\WINDOWS\\UNINST.EXE -f C:\\", "c:\\"},
      {"C:\\WINDOWS\\UNWISE.EXE -f C:\\APP\\DATA.LOG", nullptr},          // no "uninst.exe"
      {"C:\\WINDOWS\\UNINST.EXE C:\\APP\\DATA.LOG", nullptr},             // no "-f"
      {"-f C:\\APP\\DATA.LOG C:\\WINDOWS\\UNINST.EXE", nullptr},          // "-f" only before it
      {"C:\\WINDOWS\\UNINST.EXE -f", nullptr},                            // nothing after "-f"
      {"C:\\WINDOWS\\UNINST.EXE -fX", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    char folder[260] = "KEPT";
    EXPECT_EQ(PreviousFolderFromCommand(c.command, folder, sizeof folder), c.folder != nullptr) << c.command;
    EXPECT_STREQ(folder, c.folder ? c.folder : "KEPT") << c.command;
  }
}

TEST(RecordTexts, AnOverlongCommandIsReadWithinItsBuffer) {
  std::string command = "C:\\WINDOWS\\UNINST.EXE -f C:\\" + std::string(400, 'd') + "\\DATA.LOG";
  char folder[300];
  std::memset(folder, '#', sizeof folder);
  // The command is cut to the 260-byte work buffer first: the folder's own
  // backslash is cut away, so the last one left ends the result.
  EXPECT_TRUE(PreviousFolderFromCommand(command.c_str(), folder, 260));
  EXPECT_STREQ(folder, "c:\\");
  for (int i = 260; i < 300; ++i) EXPECT_EQ(folder[i], '#') << "written beyond the capacity";
}

TEST(RecordTexts, VersionsAreDecimalValues) {
  struct Case { const char* text; double value; } cases[] = {
      {"5.0", 5.0}, {"5", 5.0}, {"5.00", 5.0}, {"4.52", 4.52}, {"4.52a", 4.52}, {"5.0.1", 5.0},
      {" 6.1", 6.1}, {".5", 0.5}, {"", 0}, {"abc", 0}, {"v5", 0}, {"0x10", 0}, {"inf", 0}, {"-", 0}, {nullptr, 0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(VersionValue(c.text), c.value) << (c.text ? c.text : "(null)");
  EXPECT_EQ(VersionValue("5.00"), VersionValue("5.0"));
}

TEST(RecordTexts, OnlyTheFirstCharacterOfAFlagCounts) {
  struct Case { const char* value; bool set; } cases[] = {
      {"1", true}, {"10", true}, {"1x", true}, {"0", false}, {"01", false}, {"", false}, {" 1", false}, {nullptr, false}};
  for (const auto& c : cases) EXPECT_EQ(IsFlagSet(c.value), c.set) << (c.value ? c.value : "(null)");
}

}  // namespace
}  // namespace vz
