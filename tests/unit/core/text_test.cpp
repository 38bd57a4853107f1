// Bounded text helpers: every cut is explicit and nothing overflows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/text.h"

namespace vz {
namespace {

TEST(Text, CopyCutsToTheCapacityAndSaysSo) {
  char buf[8];
  EXPECT_TRUE(CopyText(buf, "1234567"));
  EXPECT_STREQ(buf, "1234567");
  EXPECT_FALSE(CopyText(buf, "12345678"));
  EXPECT_STREQ(buf, "1234567");
  EXPECT_TRUE(CopyText(buf, nullptr));
  EXPECT_STREQ(buf, "");
}

TEST(Text, AppendCutsAndKeepsTheTerminator) {
  char buf[8] = "abc";
  EXPECT_TRUE(AppendText(buf, "defg"));
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_FALSE(AppendText(buf, "h"));
  EXPECT_STREQ(buf, "abcdefg");
}

TEST(Text, TrailingBackslashIsAddedOnce) {
  struct Case { const char* in; const char* out; bool ends; } cases[] = {
      {"C:\\VZ", "C:\\VZ\\", true}, {"C:\\VZ\\", "C:\\VZ\\", true}, {"", "", false}, {"1234567", "1234567", false}};
  for (const auto& c : cases) {
    char buf[8];
    CopyText(buf, c.in);
    EXPECT_EQ(EnsureTrailingBackslash(buf), c.ends) << c.in;
    EXPECT_STREQ(buf, c.out);
  }
}

TEST(Text, CaseChangesTouchOnlyAsciiLetters) {
  char buf[] = "C:\\Ab~1\xE9.EXE";
  LowerText(buf);
  EXPECT_STREQ(buf, "c:\\ab~1\xE9.exe");
  UpperText(buf);
  EXPECT_STREQ(buf, "C:\\AB~1\xE9.EXE");
}

}  // namespace
}  // namespace vz
