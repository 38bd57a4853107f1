// VZ32.EXE, the scanner: its window "VZTileWindow", what it scans and what it
// reports, with the signature library beside it and without.
#include <gtest/gtest.h>

#include <algorithm>

#include "machine.h"
#include "programs_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace programs;

namespace {

// A harmless made-up marker the product's signature list names "Velzor.Test"
// when a file starts with it.
const std::string kMarker = "VELZOR-HARMLESS-TEST-MARKER";

struct ScanCase {
  const char* name;
  bool withLibrary;
  const char* item;                    // below C:\VZTEST\SCANME\ ("" the folder itself)
  std::vector<std::string> expected;   // report lines after the heading
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class Scanner : public ::testing::TestWithParam<ScanCase> {};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_P(Scanner, ScansTheItemAndKeepsTheReportShown) {
  const auto& c = GetParam();
  std::string folder = c.withLibrary ? InstallFromMedia("SCAN", {"VZ32.EXE", "SIGSCAN.dll", "VZ.INX"})
                                     : InstallFromMedia("SCAN", {"VZ32.EXE"});
  std::string items = ScratchFolder("SCANME");
  WriteFileBytes(items + "SAMPLE.EXE", kMarker + " and the rest of a program");
  WriteFileBytes(items + "CLEAN.EXE", "an ordinary program");
  WriteFileBytes(items + "NOTES.TXT", kMarker + " in a text file");
  WriteFileBytes(items + "SUB\\DEEP.COM", kMarker);
  std::string log = folder + "VZ32.LOG";

  Robot user;
  user.Expect(AnyWindow("VZTileWindow"))
      .Do(
          [log](HWND, Robot& robot) {
            for (int waited = 0; waited < 20000; waited += 100, Sleep(100))
              if (TextOf(log).find("Scan complete") != std::string::npos) return;
            robot.Fail("the scan did not complete");
          },
          "wait for the report")
      .StaysOpen()
      .Close();
  auto run = RunIn(folder, "VZ32.EXE", std::string("/Vz32Scan") + items + c.item, user);
  EXPECT_FALSE(run.timedOut);

  auto lines = LinesOf(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Velzor scan of " + items + c.item);
  // Files come in the order the folder lists them.
  std::vector<std::string> report(lines.begin() + 1, lines.end()), expected = c.expected;
  std::sort(report.begin(), report.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(report, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, Scanner,
    ::testing::Values(
        ScanCase{"FolderWithTheLibrary", true, "",
                 {"C:\\VZTEST\\SCANME\\CLEAN.EXE: clean.", "C:\\VZTEST\\SCANME\\SAMPLE.EXE: infected with Velzor.Test.",
                  "C:\\VZTEST\\SCANME\\SUB\\DEEP.COM: infected with Velzor.Test.",
                  "Scan complete: 3 files scanned, 2 infected."}},
        // A file named on its own is scanned whatever its name.
        ScanCase{"SingleFileWithTheLibrary", true, "NOTES.TXT",
                 {"C:\\VZTEST\\SCANME\\NOTES.TXT: infected with Velzor.Test.",
                  "Scan complete: 1 files scanned, 1 infected."}},
        ScanCase{"FolderWithoutTheLibrary", false, "",
                 {"The signature scanner (SIGSCAN.dll with VZ.INX) was not found: files are listed, not checked.",
                  "C:\\VZTEST\\SCANME\\CLEAN.EXE", "C:\\VZTEST\\SCANME\\SAMPLE.EXE", "C:\\VZTEST\\SCANME\\SUB\\DEEP.COM",
                  "Scan complete: 3 files listed, 0 infected."}},
        ScanCase{"MissingItem", true, "GONE.EXE",
                 {"C:\\VZTEST\\SCANME\\GONE.EXE: no such file or folder.", "Scan complete: 0 files scanned, 0 infected."}}),
    [](const auto& info) { return std::string(info.param.name); });

// All drives: the local hard disks only (the bench's Z: is a network drive),
// and the program ends by itself when done.
TEST(ScannerAllDrives, ScansTheLocalHardDisksAndEnds) {
  std::string folder = InstallFromMedia("SCAN", {"VZ32.EXE"});
  Robot user;
  user.Expect(AnyWindow("VZTileWindow"));
  auto run = RunIn(folder, "VZ32.EXE", "/AllDrives", user, {.timeoutMs = 120000});
  EXPECT_FALSE(run.timedOut);
  auto lines = LinesOf(folder + "VZ32.LOG");
  EXPECT_TRUE(Contains(lines, "Scanning drive C:"));
  EXPECT_FALSE(Contains(lines, "Scanning drive Z:"));
  EXPECT_TRUE(Contains(lines, "C:\\windows\\system32\\kernel32.dll")) << "a program file of drive C:";
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Scan complete: ", 0), 0u) << lines.back();
}

}  // namespace
