// VZSTRUP.EXE: /INIT /REBUILD records the program files of its folder in
// VZCHK.INF, hidden; without arguments it reports what has changed since.
#include <gtest/gtest.h>

#include <algorithm>

#include "machine.h"
#include "programs_machine.h"
#include "robot.h"

using namespace bench;
using namespace programs;

namespace {

class StartupChecker : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = InstallFromMedia("STRUP", {"VZSTRUP.EXE"});
    WriteFileBytes(folder_ + "A.EXE", "123456789");  // CRC-32 CBF43926
    WriteFileBytes(folder_ + "B.DLL", "");
    WriteFileBytes(folder_ + "VZ.INX", "signatures, updated in normal use");
    WriteFileBytes(folder_ + "README.TXT", "not a program");
  }
  RunResult Rebuild() {
    Robot user;  // nothing is shown
    auto run = RunIn(folder_, "VZSTRUP.EXE", "/INIT /REBUILD", user);
    EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
    return run;
  }
  std::string folder_;
};

TEST_F(StartupChecker, RebuildRecordsTheProgramFilesOnly) {
  auto run = Rebuild();
  EXPECT_EQ(run.exitCode, 0u);
  auto lines = LinesOf(folder_ + "VZCHK.INF");
  std::vector<std::string> files;
  bool inFiles = false;
  for (const auto& line : lines) {
    if (line == "[Files]") inFiles = true;
    else if (inFiles) files.push_back(line);
    else EXPECT_EQ(line.rfind(";", 0), 0u) << "only comments come before [Files]: " << line;
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 3u) << ::testing::PrintToString(files);
  EXPECT_EQ(files[0], "A.EXE=9,CBF43926");
  EXPECT_EQ(files[1], "B.DLL=0,00000000");
  auto size = ReadFileBytes(folder_ + "VZSTRUP.EXE").value_or("").size();
  EXPECT_EQ(files[2].rfind("VZSTRUP.EXE=" + std::to_string(size) + ",", 0), 0u) << files[2];
}

TEST_F(StartupChecker, SilentWhileTheFilesAreAsRecorded) {
  Rebuild();
  WriteFileBytes(folder_ + "VZ.INX", "new signatures");  // data files are not checked
  Robot user;
  auto run = RunIn(folder_, "VZSTRUP.EXE", "", user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
}

TEST_F(StartupChecker, ReportsChangedMissingAndAddedFiles) {
  Rebuild();
  WriteFileBytes(folder_ + "A.EXE", "123456780");  // same size, other contents
  DeleteFileA((folder_ + "B.DLL").c_str());
  WriteFileBytes(folder_ + "C.SYS", "a new driver");
  Robot user;
  user.Expect(MessageBox("Velzor Start-up Check")
                  .Containing("A.EXE: changed")
                  .Containing("B.DLL: missing")
                  .Containing("C.SYS: added")
                  .WithIcon("exclamation")
                  .WithButtons("OK"))
      .Answer(IDOK);
  auto run = RunIn(folder_, "VZSTRUP.EXE", "", user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(user.Find("Velzor Start-up Check").text.find("VZSTRUP.EXE"), std::string::npos);
}

TEST_F(StartupChecker, SaysSoWithoutItsCheckFile) {
  Robot user;
  user.Expect(MessageBox("Velzor Start-up Check").Containing("VZCHK.INF is missing")).Answer(IDOK);
  auto run = RunIn(folder_, "VZSTRUP.EXE", "", user);
  EXPECT_EQ(run.exitCode, 2u);
}

}  // namespace
