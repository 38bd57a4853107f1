// The helper's command line: switches and "*"-separated tokens.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/setup_context.h"

namespace vz {
namespace {

struct SwitchCase {
  const char* commandLine;
  bool init, runOnce, end;
};

TEST(CommandLine, SwitchesAreComparedWithoutCaseOverTheirOwnLength) {
  const SwitchCase cases[] = {
      {"/initsetup*a", true, false, false},
      {"/INITSETUP*a", true, false, false},
      {"/InitSetupX", true, false, false},
      {"/runonce", false, true, false},
      {"/RunOnce anything", false, true, false},
      {"/endsetup*a*b", false, false, true},
      {"/ENDSETUP", false, false, true},
      {"/endsetu", false, false, false},
      {"/init", false, false, false},
      {"/setup", false, false, false},
      {" /runonce", false, false, false},
      {"", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(StartsWithSwitch(c.commandLine, kInitSetupSwitch), c.init);
    EXPECT_EQ(StartsWithSwitch(c.commandLine, kRunOnceSwitch), c.runOnce);
    EXPECT_EQ(StartsWithSwitch(c.commandLine, kEndSetupSwitch), c.end);
  }
}

struct TokenCase {
  const char* commandLine;
  int count;
  std::vector<std::string> expected;  // the tokens found, in order
};

TEST(CommandLine, TokensAreSplitOnStarsFromTheEleventhCharacter) {
  const TokenCase cases[] = {
      {"/initsetup*A*B*C", 9, {"A", "B", "C"}},
      {"/initsetup**A*", 9, {"A"}},                       // doubled separator is one
      {"/initsetup*a**b", 9, {"a", "b"}},                  // an empty token cannot be passed
      {"/initsetup***", 9, {}},
      {"/initsetupX*A", 9, {"X", "A"}},                    // scanning starts right after the switch
      {"/endsetup*C:\\SRC*C:\\DEST", 2, {"C:\\SRC", "C:\\DEST"}},
      {"/endsetupXC:\\SRC*C:\\DEST", 2, {"C:\\SRC", "C:\\DEST"}},  // the one character after the switch is passed over
      {"/endsetup", 2, {}},                                // shorter than the scan start: no tokens
      {"/endsetup*", 2, {}},
      {"/initsetup*1*2*3*4*5*6*7*8*9*10*11", 9, {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {"/endsetup*a*b*c", 2, {"a", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    PhaseTokens tokens(c.commandLine, c.count);
    ASSERT_EQ(tokens.Found(), static_cast<int>(c.expected.size()));
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(tokens.Token(static_cast<int>(i) + 1), c.expected[i]);
    EXPECT_STREQ(tokens.Token(static_cast<int>(c.expected.size()) + 1), "") << "a missing token reads as empty";
  }
}

TEST(CommandLine, SplittingLeavesTheCommandLineAsItWas) {
  const char original[] = "/initsetup*A*B";
  char commandLine[sizeof original];
  std::memcpy(commandLine, original, sizeof original);
  PhaseTokens tokens(commandLine, 9);
  EXPECT_STREQ(commandLine, original);
}

TEST(CommandLine, DecimalValueReadsLeadingBlanksSignAndDigits) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0}, {"1", 1}, {"  7", 7}, {"-3", -3}, {"+12", 12}, {"12abc", 12}, {"abc", 0}, {"", 0},
      {"- 5", 0}, {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(DecimalValue(text), value) << text;
}

class InitSetupTokensTest : public ::testing::Test {
 protected:
  void SetUp() override { g_setup = SetupContext{}; }
};

TEST_F(InitSetupTokensTest, KeepsTokensOneFourSixAndNine) {
  InitSetupTokens t{};
  TakeInitSetupTokens("/initsetup*C:\\MEDIA*C:\\VZ*1*3*5*1*0*x*5.0", &t);
  EXPECT_STREQ(g_setup.sourceFolder, "C:\\MEDIA");
  EXPECT_STREQ(t.typeText, "3");
  EXPECT_EQ(t.oemFlag, 1);
  EXPECT_STREQ(g_setup.productVersion, "5.0");
}

TEST_F(InitSetupTokensTest, OverlongTokensAreCutToTheirBuffers) {
  std::string longPath = "C:\\" + std::string(400, 'p');
  std::string commandLine = "/initsetup*" + longPath + "*x*1*123456789*5*00000001*0*x*123456789012345";
  InitSetupTokens t{};
  TakeInitSetupTokens(commandLine.c_str(), &t);
  EXPECT_EQ(std::string(g_setup.sourceFolder), longPath.substr(0, kPathCapacity - 1));
  EXPECT_STREQ(t.typeText, "1234567");                // 7 characters kept
  EXPECT_EQ(t.oemFlag, 0);                            // "0000000" after the cut
  EXPECT_STREQ(g_setup.productVersion, "12345678901");  // 11 characters kept
}

TEST_F(InitSetupTokensTest, MissingTokensReadAsEmpty) {
  InitSetupTokens t{};
  TakeInitSetupTokens("/initsetup*C:\\MEDIA", &t);
  EXPECT_STREQ(g_setup.sourceFolder, "C:\\MEDIA");
  EXPECT_STREQ(t.typeText, "");
  EXPECT_EQ(t.oemFlag, 0);
  EXPECT_STREQ(g_setup.productVersion, "");
}

// Folders that exist in the test machine, so their short forms are real.
class EndSetupTokensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setup = SetupContext{};
    CreateDirectoryA("C:\\Bench Source Folder", nullptr);
    CreateDirectoryA("C:\\Bench Destination", nullptr);
    CreateDirectoryA("C:\\SRC", nullptr);
    CreateDirectoryA("C:\\DEST", nullptr);
  }
  static std::string Short(const char* path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path, buffer, sizeof buffer);
    return n ? std::string(buffer, n) : std::string();
  }
};

TEST_F(EndSetupTokensTest, FoldersBecomeShortWithATrailingBackslash) {
  TakeEndSetupTokens("/endsetup*C:\\SRC*C:\\DEST");
  EXPECT_STREQ(g_setup.sourceFolder, "C:\\SRC\\");
  EXPECT_STREQ(g_setup.installFolder, "C:\\DEST\\");
}

TEST_F(EndSetupTokensTest, LongFolderNamesAreReplacedByTheirShortForms) {
  std::string src = Short("C:\\Bench Source Folder"), dest = Short("C:\\Bench Destination");
  ASSERT_NE(src, "C:\\Bench Source Folder") << "the platform should give a short form";
  TakeEndSetupTokens("/endsetup*C:\\Bench Source Folder\\*C:\\Bench Destination");
  EXPECT_EQ(std::string(g_setup.sourceFolder), src + "\\");
  EXPECT_EQ(std::string(g_setup.installFolder), dest + "\\");
}

TEST_F(EndSetupTokensTest, AFolderThatDoesNotExistKeepsItsTextAndGetsABackslash) {
  TakeEndSetupTokens("/endsetup*C:\\No Such Folder*A:\\");
  EXPECT_STREQ(g_setup.sourceFolder, "C:\\No Such Folder\\");
  EXPECT_STREQ(g_setup.installFolder, "A:\\");
}

TEST_F(EndSetupTokensTest, AFullBufferIsNotOverrun) {
  std::string longFolder = "C:\\" + std::string(300, 'd');
  TakeEndSetupTokens(("/endsetup*" + longFolder + "*" + longFolder).c_str());
  EXPECT_EQ(std::strlen(g_setup.sourceFolder), kPathCapacity - 1);
  EXPECT_EQ(std::strlen(g_setup.installFolder), kPathCapacity - 1);
}

}  // namespace
}  // namespace vz
