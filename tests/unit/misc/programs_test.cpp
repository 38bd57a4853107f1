// misc.dll ExecFile: waiting and not waiting, show commands, and program
// paths that carry their own arguments.
#include <gtest/gtest.h>

#include <string>

#include "machine.h"
#include "misc_test_support.h"
#include "services/misc.h"

namespace {

TEST(ExecFile, WaitsForTheProgramToEndWhenAsked) {
  std::string folder = misctest::CaseFolder();
  std::string marker = folder + "WAITED.TXT";
  ASSERT_EQ(ExecFile(misctest::Probe().c_str(), ("sleep 1500 " + marker + " one").c_str(), 0, 1, 0), 1);
  auto written = bench::ReadFileBytes(marker);  // already there: the program has ended
  ASSERT_TRUE(written.has_value());
  EXPECT_NE(written->find("sleep 1500 " + marker + " one"), std::string::npos) << *written;
  EXPECT_NE(written->find("show=0\n"), std::string::npos) << *written;
  std::string bin = bench::TestMachine::BinFolder();
  EXPECT_NE(written->find("folder=" + bin.substr(0, bin.size() - 1)), std::string::npos) << *written;
  bench::RemoveTree(folder);
}

TEST(ExecFile, ReturnsAtOnceWithoutWaiting) {
  std::string folder = misctest::CaseFolder();
  std::string marker = folder + "LATER.TXT";
  ASSERT_EQ(ExecFile(misctest::Probe().c_str(), ("sleep 1500 " + marker).c_str(), 5, 0, 0), 1);
  EXPECT_FALSE(bench::FileExists(marker)) << "returned only after the program had ended";
  ASSERT_TRUE(misctest::WaitFor([&] { return bench::FileExists(marker); }));
  Sleep(200);
  EXPECT_NE(bench::ReadFileBytes(marker)->find("show=5\n"), std::string::npos);
  bench::RemoveTree(folder);
}

TEST(ExecFile, ProgramPathsMayCarryTheirOwnArguments) {
  std::string folder = misctest::CaseFolder();
  std::string spaced = folder + "Program Files\\Velzor Test\\";
  bench::MakeFolders(spaced);
  ASSERT_TRUE(CopyFileA(misctest::Probe().c_str(), (spaced + "misc probe.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((bench::TestMachine::BinFolder() + "misc.dll").c_str(), (spaced + "misc.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((bench::TestMachine::BinFolder() + "Registry.dll").c_str(), (spaced + "Registry.dll").c_str(), FALSE));
  struct Case { std::string program; std::string parameters; std::string marker; std::string seen; } cases[] = {
      // "C:\VZ\VZ32.EXE /AllDrives" with empty parameters
      {misctest::Probe() + " sleep 0 " + folder + "A.TXT /AllDrives", "", folder + "A.TXT", "/AllDrives"},
      {spaced + "misc probe.exe sleep 0 " + folder + "B.TXT /x", "extra", folder + "B.TXT", "/x extra"},
      {spaced + "misc probe.exe", "sleep 0 " + folder + "C.TXT", folder + "C.TXT", "folder=" + spaced.substr(0, spaced.size() - 1)},
      {"\"" + spaced + "misc probe.exe\" sleep 0 " + folder + "D.TXT", "", folder + "D.TXT", "D.TXT"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ExecFile(c.program.c_str(), c.parameters.c_str(), 5, 1, 0), 1) << c.program;
    auto written = bench::ReadFileBytes(c.marker);
    ASSERT_TRUE(written.has_value()) << c.program;
    EXPECT_NE(written->find(c.seen), std::string::npos) << *written;
  }
  bench::RemoveTree(folder);
}

TEST(ExecFile, NothingStartedIsZero) {
  std::string folder = misctest::CaseFolder();
  EXPECT_EQ(ExecFile((folder + "NOSUCH.EXE").c_str(), "", 5, 1, 0), 0);
  EXPECT_EQ(ExecFile((folder + "NOSUCH.EXE /AllDrives").c_str(), "", 5, 0, 0), 0);
  EXPECT_EQ(ExecFile("", "", 5, 0, 0), 0);
  std::string tooLong(2000, 'x');
  EXPECT_EQ(ExecFile(misctest::Probe().c_str(), tooLong.c_str(), 5, 1, 0), 0);  // never a cut command
  bench::RemoveTree(folder);
}

}  // namespace
