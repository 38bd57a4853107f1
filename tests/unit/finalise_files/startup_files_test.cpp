// Start-up file line removal: WININIT.INI loses the lines that name the
// install folder and C:\AUTOEXEC.BAT starts with the start-up checker, each
// rewritten through Filewrap.dll and swapped in by renames that never lose
// the file.
#include <gtest/gtest.h>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/rename_swap.h"
#include "finalise/startup_files.h"
#include "machine.h"
#include "scratch_files.h"

using bench::FileExists;
using bench::FolderExists;
using bench::ReadFileBytes;
using bench::WriteFileBytes;
using bench::Lines;

namespace {

constexpr char kInstall[] = "C:\\PROGRA~1\\VELZOR\\";
const std::string kLong(179, 'a');  // a full piece of the 180-character line buffer

// --- WININIT.INI ----------------------------------------------------------------

struct WininitCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no WININIT.INI
  std::optional<std::string> after;
};

void PrintTo(const WininitCase& c, std::ostream* os) { *os << c.name; }

class WininitLines : public ::testing::TestWithParam<WininitCase> {};

TEST_P(WininitLines, LinesNamingTheInstallFolderGo) {
  std::string windows = bench::ScratchFolder("WININIT");
  if (GetParam().before) WriteFileBytes(windows + "WININIT.INI", *GetParam().before);

  std::string given = windows.substr(0, windows.size() - 1);  // without its backslash
  vz::RemoveWininitLines(kInstall, given.c_str());

  EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI"), GetParam().after);
  EXPECT_FALSE(FileExists(windows + "WININIT.TMP"));
  EXPECT_FALSE(FileExists(windows + "WININIT.VZ"));
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, WininitLines,
    ::testing::Values(
        WininitCase{"RenameSectionInBothCases",
                    Lines({"[rename]", "NUL=C:\\PROGRA~1\\VELZOR\\OLD.DLL",
                           "c:\\progra~1\\velzor\\vz32.exe=c:\\progra~1\\velzor\\vz32.new",
                           "C:\\WINDOWS\\SYSTEM\\A.DLL=C:\\WINDOWS\\SYSTEM\\A.NEW", "", "[other]", "x=y"}),
                    Lines({"[rename]", "C:\\WINDOWS\\SYSTEM\\A.DLL=C:\\WINDOWS\\SYSTEM\\A.NEW", "", "[other]", "x=y"})},
        WininitCase{"LongPathNameStays",
                    Lines({"[rename]", "NUL=C:\\Program Files\\Velzor\\OLD.DLL", "NUL=C:\\PROGRA~1\\VELZOR\\X.DLL"}),
                    Lines({"[rename]", "NUL=C:\\Program Files\\Velzor\\OLD.DLL"})},
        WininitCase{"LastLineWithoutItsEnd", std::string("[rename]\r\nNUL=C:\\TEMP\\A.TMP"),
                    Lines({"[rename]", "NUL=C:\\TEMP\\A.TMP"})},
        WininitCase{"LineEndsOfUnix", std::string("[rename]\nNUL=C:\\PROGRA~1\\VELZOR\\A\nNUL=C:\\B\n"),
                    Lines({"[rename]", "NUL=C:\\B"})},
        // A line longer than the buffer comes in pieces of 179 characters,
        // each tested and written as a line of its own.
        WininitCase{"LongLineInPieces", Lines({kLong + "NUL=C:\\B", kLong + "NUL=C:\\PROGRA~1\\VELZOR\\A"}),
                    Lines({kLong, "NUL=C:\\B", kLong})},
        WininitCase{"EveryLineGoes", Lines({"NUL=C:\\PROGRA~1\\VELZOR\\A"}), std::string()},
        WininitCase{"Empty", std::string(), std::string()},
        WininitCase{"NoWininit", std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WininitLines, StaleWorkFilesOfAnEarlierRunAreReplaced) {
  std::string windows = bench::ScratchFolder("WININIT");
  WriteFileBytes(windows + "WININIT.INI", Lines({"[rename]", "NUL=C:\\PROGRA~1\\VELZOR\\A", "NUL=C:\\B"}));
  WriteFileBytes(windows + "WININIT.TMP", Lines({"left over"}));
  WriteFileBytes(windows + "WININIT.VZ", Lines({"left over too"}));

  vz::RemoveWininitLines(kInstall, windows.c_str());

  EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI"), Lines({"[rename]", "NUL=C:\\B"}));
  EXPECT_FALSE(FileExists(windows + "WININIT.TMP"));
  EXPECT_FALSE(FileExists(windows + "WININIT.VZ"));
}

// Whichever rename cannot be made, WININIT.INI keeps its pending renames.
TEST(WininitLines, AFolderInTheWayOfTheFirstRenameLosesNothing) {
  std::string windows = bench::ScratchFolder("WININIT");
  std::string before = Lines({"[rename]", "NUL=C:\\PROGRA~1\\VELZOR\\A", "NUL=C:\\B"});
  WriteFileBytes(windows + "WININIT.INI", before);
  bench::MakeFolders(windows + "WININIT.VZ\\");

  vz::RemoveWininitLines(kInstall, windows.c_str());

  EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI"), before);
  EXPECT_FALSE(FileExists(windows + "WININIT.TMP"));
  EXPECT_TRUE(FolderExists(windows + "WININIT.VZ"));
}

TEST(WininitLines, AReadOnlyStaleSwapFileLosesNothing) {
  std::string windows = bench::ScratchFolder("WININIT");
  std::string before = Lines({"[rename]", "NUL=C:\\PROGRA~1\\VELZOR\\A"});
  WriteFileBytes(windows + "WININIT.INI", before);
  WriteFileBytes(windows + "WININIT.VZ", "stale");
  bench::SetReadOnly(windows + "WININIT.VZ");

  vz::RemoveWininitLines(kInstall, windows.c_str());

  EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI"), before);
  EXPECT_FALSE(FileExists(windows + "WININIT.TMP"));
  EXPECT_EQ(ReadFileBytes(windows + "WININIT.VZ"), "stale");
}

TEST(WininitLines, AWininitInUseLosesNothing) {
  std::string windows = bench::ScratchFolder("WININIT");
  std::string before = Lines({"[rename]", "NUL=C:\\PROGRA~1\\VELZOR\\A"});
  WriteFileBytes(windows + "WININIT.INI", before);
  {
    bench::FileLock inUse(windows + "WININIT.INI");
    ASSERT_TRUE(inUse.held());
    vz::RemoveWininitLines(kInstall, windows.c_str());
  }
  EXPECT_EQ(ReadFileBytes(windows + "WININIT.INI"), before);
  EXPECT_FALSE(FileExists(windows + "WININIT.TMP"));
  EXPECT_FALSE(FileExists(windows + "WININIT.VZ"));
}

// --- C:\AUTOEXEC.BAT --------------------------------------------------------------

constexpr char kAutoexec[] = "C:\\AUTOEXEC.BAT";
constexpr char kAutoexecBackup[] = "C:\\AUTOEXEC.VZ";
constexpr char kAutoexecSwap[] = "C:\\AUTOEXEC.TMP";

class AutoexecLine : public ::testing::Test {
 protected:
  void SetUp() override {
    Clear();
    // A long install folder: the line names the checker by its short path.
    std::string install = bench::ScratchFolder("AUTOEXEC") + "Velzor Anti Virus\\";
    WriteFileBytes(install + "VZSTRUP.EXE", "MZ");
    vz::CopyText(vz::g_setup.installFolder, install.c_str());
    checker_ = bench::ShortPath(install + "VZSTRUP.EXE");
    ASSERT_NE(checker_, install + "VZSTRUP.EXE");
  }
  void TearDown() override { Clear(); }
  static void Clear() {
    for (const char* path : {kAutoexec, kAutoexecBackup, kAutoexecSwap}) {
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path);
      RemoveDirectoryA(path);
    }
  }
  std::string checker_;
};

struct AutoexecCase {
  const char* name;
  std::optional<std::vector<std::string>> before;  // nullopt: no AUTOEXEC.BAT
  std::vector<std::string> kept;                    // the lines after the checker's
};

void PrintTo(const AutoexecCase& c, std::ostream* os) { *os << c.name; }

class AutoexecLines : public AutoexecLine, public ::testing::WithParamInterface<AutoexecCase> {};

TEST_P(AutoexecLines, TheCheckerComesFirstAndOnce) {
  const AutoexecCase& c = GetParam();
  if (c.before) WriteFileBytes(kAutoexec, Lines(*c.before));

  vz::SetAutoexecStartupLine();

  if (!c.before) {
    EXPECT_FALSE(FileExists(kAutoexec));
    EXPECT_FALSE(FileExists(kAutoexecBackup));
  } else {
    std::vector<std::string> after{checker_};
    after.insert(after.end(), c.kept.begin(), c.kept.end());
    EXPECT_EQ(ReadFileBytes(kAutoexec), Lines(after));
    EXPECT_EQ(ReadFileBytes(kAutoexecBackup), Lines(*c.before));
  }
  EXPECT_FALSE(FileExists(kAutoexecSwap));
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, AutoexecLines,
    ::testing::Values(
        AutoexecCase{"CheckerOnLineThree",
                     std::vector<std::string>{"@ECHO OFF", "PATH C:\\DOS;C:\\WINDOWS", "C:\\VELZOR\\VZSTRUP.EXE",
                                              "SET TEMP=C:\\TEMP"},
                     {"@ECHO OFF", "PATH C:\\DOS;C:\\WINDOWS", "SET TEMP=C:\\TEMP"}},
        AutoexecCase{"VzstrupInAnyCaseAnywhere",
                     std::vector<std::string>{"REM VzStrup checks the system", "PROMPT $P$G",
                                              "C:\\OLD\\vzstrup.com /X", ""},
                     {"PROMPT $P$G", ""}},
        AutoexecCase{"Empty", std::vector<std::string>{}, {}},
        AutoexecCase{"NoAutoexec", std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoexecLine, ASecondRunKeepsOneCheckerAndBacksUpTheFirstResult) {
  WriteFileBytes(kAutoexec, Lines({"@ECHO OFF", "PROMPT $P$G"}));
  vz::SetAutoexecStartupLine();
  auto first = ReadFileBytes(kAutoexec);
  vz::SetAutoexecStartupLine();

  EXPECT_EQ(ReadFileBytes(kAutoexec), Lines({checker_, "@ECHO OFF", "PROMPT $P$G"}));
  EXPECT_EQ(ReadFileBytes(kAutoexecBackup), first);
}

TEST_F(AutoexecLine, TheDosEndOfFileMarkEndsTheText) {
  std::string before = "@ECHO OFF\r\nPROMPT $P$G\r\n\x1A";  // as DOS editors leave it
  WriteFileBytes(kAutoexec, before);

  vz::SetAutoexecStartupLine();

  EXPECT_EQ(ReadFileBytes(kAutoexec), Lines({checker_, "@ECHO OFF", "PROMPT $P$G"}));
  EXPECT_EQ(ReadFileBytes(kAutoexecBackup), before);
}

TEST_F(AutoexecLine, AFolderInTheWayOfTheFirstRenameLosesNothing) {
  std::string before = Lines({"@ECHO OFF"});
  WriteFileBytes(kAutoexec, before);
  ASSERT_TRUE(CreateDirectoryA(kAutoexecSwap, nullptr));

  vz::SetAutoexecStartupLine();

  EXPECT_EQ(ReadFileBytes(kAutoexec), before);
  EXPECT_FALSE(FileExists(kAutoexecBackup));  // the new content never passes for a backup
}

TEST_F(AutoexecLine, AnAutoexecInUseLosesNothing) {
  std::string before = Lines({"@ECHO OFF"});
  WriteFileBytes(kAutoexec, before);
  {
    bench::FileLock inUse(kAutoexec);
    ASSERT_TRUE(inUse.held());
    vz::SetAutoexecStartupLine();
  }
  EXPECT_EQ(ReadFileBytes(kAutoexec), before);
  EXPECT_FALSE(FileExists(kAutoexecBackup));
  EXPECT_FALSE(FileExists(kAutoexecSwap));
}

// --- The swap itself, with each rename failing in turn ----------------------------

// Renames through MoveFileA, except the ones whose turn (1, 2, ...) is listed.
std::vector<int> g_failingRenames;
int g_renameTurn = 0;
BOOL WINAPI RenameUnlessFailing(const char* from, const char* to) {
  ++g_renameTurn;
  for (int turn : g_failingRenames)
    if (turn == g_renameTurn) return FALSE;
  return MoveFileA(from, to);
}

struct SwapCase {
  const char* name;
  std::vector<int> failing;
  vz::SwapResult result;
  std::optional<std::string> target, work, swap;  // contents afterwards
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }

class RenameSwap : public ::testing::TestWithParam<SwapCase> {};

TEST_P(RenameSwap, NoContentIsLost) {
  std::string folder = bench::ScratchFolder("SWAP");
  std::string target = folder + "FILE.INI", work = folder + "FILE.TMP", swap = folder + "FILE.VZ";
  WriteFileBytes(target, "old");
  WriteFileBytes(work, "new");
  g_failingRenames = GetParam().failing;
  g_renameTurn = 0;

  EXPECT_EQ(vz::SwapInByRenames(work.c_str(), swap.c_str(), target.c_str(), RenameUnlessFailing),
            GetParam().result);
  EXPECT_EQ(ReadFileBytes(target), GetParam().target);
  EXPECT_EQ(ReadFileBytes(work), GetParam().work);
  EXPECT_EQ(ReadFileBytes(swap), GetParam().swap);
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, RenameSwap,
    ::testing::Values(SwapCase{"AllRenamesMade", {}, vz::SwapResult::Swapped, "new", "old", std::nullopt},
                      SwapCase{"FirstFails", {1}, vz::SwapResult::NotSwapped, "old", "new", std::nullopt},
                      SwapCase{"SecondFails", {2}, vz::SwapResult::NotSwapped, "old", "new", std::nullopt},
                      SwapCase{"ThirdFails", {3}, vz::SwapResult::NotSwapped, "old", std::nullopt, "new"},
                      // Only when undoing fails too is the target missing; its content is kept.
                      SwapCase{"ThirdAndItsUndoFail", {3, 4}, vz::SwapResult::Broken, std::nullopt, "old", "new"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
