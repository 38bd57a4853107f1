// misc.dll: the system and the product's installations, drives and copies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine.h"
#include "misc_test_support.h"
#include "services/misc.h"

namespace {

using bench::Os;

int RunProbe(Os os, const std::string& arguments) {
  bench::SetProgramOs("misc_probe.exe", os);
  bench::Robot nobody;
  auto run = bench::RunProgram(misctest::Probe(), arguments, nobody);
  EXPECT_TRUE(run.started);
  return static_cast<int>(run.exitCode);
}

TEST(SystemInfo, GetOSFollowsTheWindowsVersionTheProgramSees) {
  EXPECT_EQ(RunProbe(Os::Windows95, "os"), 1);
  EXPECT_EQ(RunProbe(Os::WindowsNT, "os"), 2);
}

TEST(SystemInfo, UpdateOSInfoPatchesTheRecordInPlace) {
  std::string folder = misctest::CaseFolder();
  std::string cnf = folder + "VZ32.CNF";
  const std::string original(64, '\xAA');
  struct Case { Os os; std::string record; } cases[] = {
      // OS, major, minor, build (low word), then the value passed: all little-endian.
      {Os::Windows95, std::string("\x01\x00\x04\x00\x00\x00\xB6\x03\x78\x56\x34\x12", 12)},  // build 950
      {Os::WindowsNT, std::string("\x02\x00\x04\x00\x00\x00\x65\x05\x78\x56\x34\x12", 12)},  // build 1381
  };
  for (const auto& c : cases) {
    bench::WriteFileBytes(cnf, original);
    EXPECT_EQ(RunProbe(c.os, "osinfo " + cnf), 1);
    std::string expected = original.substr(0, 20) + c.record + original.substr(32);
    EXPECT_EQ(bench::ReadFileBytes(cnf), expected) << bench::OsName(c.os);
  }
  // A missing file is not created; a file too short for the record is left alone.
  EXPECT_EQ(UpdateOSInfo((folder + "MISSING.CNF").c_str(), 1), 0);
  EXPECT_FALSE(bench::FileExists(folder + "MISSING.CNF"));
  bench::WriteFileBytes(cnf, "short");
  EXPECT_EQ(UpdateOSInfo(cnf.c_str(), 1), 0);
  EXPECT_EQ(bench::ReadFileBytes(cnf), "short");
  // A file that reaches the record's start grows to hold it.
  bench::WriteFileBytes(cnf, std::string(20, 'x'));
  EXPECT_EQ(UpdateOSInfo(cnf.c_str(), 1), 1);
  EXPECT_EQ(bench::ReadFileBytes(cnf)->size(), 32u);
  bench::RemoveTree(folder);
}

TEST(SystemInfo, ModuleDirectoryIsTheProgramsFolderOrNothing) {
  std::string expected = bench::TestMachine::BinFolder();
  char buffer[260];
  EXPECT_EQ(GetModuleDirectory(buffer, sizeof buffer), static_cast<int>(expected.size()));
  EXPECT_EQ(buffer, expected);
  char exact[260];
  int room = static_cast<int>(expected.size()) + 1;
  EXPECT_EQ(GetModuleDirectory(exact, room), room - 1);
  EXPECT_EQ(exact, expected);
  char small[260];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(GetModuleDirectory(small, room - 1), 0);  // never a cut folder
  EXPECT_STREQ(small, "");
  EXPECT_EQ(small[1], '#');
}

TEST(SystemInfo, VersionsInstalledComeFromBothSystemsRecords) {
  bench::TestMachine::ClearProductRecords();
  const std::string w95 = "C:\\VZTEST\\WIN95", wnt = "C:\\VZTEST\\WINNT\\";
  struct Case { const char* what; bool map95; bool mapNt; std::string ini95; std::string iniNt; int bits; } cases[] = {
      {"no install map file", false, false, "", "", 0},
      {"Windows 95 only", true, false, "[Info]\r\nVersion=5.0\r\n", "", 1},
      {"Windows NT only", false, true, "", "[Info]\r\nVersion=4.52\r\n", 2},
      {"both", true, true, "[Info]\r\nVersion=5.0\r\n", "[Info]\r\nVersion=5.0\r\n", 3},
      {"entries without VZ32.INI", true, true, "", "", 0},
      {"VZ32.INI without a version", true, true, "[Info]\r\nType=2\r\n", "[Info]\r\nVersion=\r\n", 0},
  };
  for (const auto& c : cases) {
    bench::RemoveTree("C:\\VZTEST");
    DeleteFileA("C:\\VZ.INI");
    std::string map = "[Path]\r\nVelzor=C:\\VZ\\\r\n";
    if (c.map95) map += "Windows 95=" + w95 + "\r\n";
    if (c.mapNt) map += "Windows NT=" + wnt + "\r\n";
    if (c.map95 || c.mapNt) bench::WriteFileBytes("C:\\VZ.INI", map);
    if (!c.ini95.empty()) bench::WriteFileBytes(w95 + "\\VZ32.INI", c.ini95);
    if (!c.iniNt.empty()) bench::WriteFileBytes(wnt + "VZ32.INI", c.iniNt);
    EXPECT_EQ(GetVZVersionsInstalled(), c.bits) << c.what;
  }
  bench::RemoveTree("C:\\VZTEST");
  bench::TestMachine::ClearProductRecords();
}

TEST(SystemInfo, DrivesAreReadyWhenTheirRootCanBeRead) {
  struct Case { short drive; int ready; } cases[] = {
      {2, 1},    // C:
      {25, 1},   // Z:, Wine's view of the host
      {16, 0},   // Q: does not exist
      {-1, 0}, {26, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeDriveReady(c.drive), c.ready) << c.drive;
}

TEST(SystemInfo, FileCopyReplacesOnlyWhenAsked) {
  std::string folder = misctest::CaseFolder();
  bench::WriteFileBytes(folder + "SOURCE.MAL", "template");
  bench::WriteFileBytes(folder + "NORMAL.DOT", "old");
  SetFileAttributesA((folder + "NORMAL.DOT").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileCopy((folder + "SOURCE.MAL").c_str(), (folder + "NORMAL.DOT").c_str(), 0), 0);
  EXPECT_EQ(bench::ReadFileBytes(folder + "NORMAL.DOT"), "old");
  EXPECT_EQ(FileCopy((folder + "SOURCE.MAL").c_str(), (folder + "NORMAL.DOT").c_str(), 1), 1);
  EXPECT_EQ(bench::ReadFileBytes(folder + "NORMAL.DOT"), "template");
  EXPECT_EQ(FileCopy((folder + "SOURCE.MAL").c_str(), (folder + "NEW.DOT").c_str(), 1), 1);
  EXPECT_EQ(bench::ReadFileBytes(folder + "NEW.DOT"), "template");
  EXPECT_EQ(FileCopy((folder + "MISSING").c_str(), (folder + "X.DOT").c_str(), 1), 0);
  EXPECT_FALSE(bench::FileExists(folder + "X.DOT"));
  bench::RemoveTree(folder);
}

}  // namespace
