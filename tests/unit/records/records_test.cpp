// The record accessors on the machine's registry and INI files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "machine.h"
#include "services/misc.h"

namespace vz {
namespace {

const char kProduct[] = "SOFTWARE\\Orvanto\\Velzor";
const char kVersionKey50[] = "SOFTWARE\\Orvanto\\Velzor\\5.0";

class Records : public ::testing::Test {
 protected:
  void SetUp() override {
    bench::TestMachine::ClearProductRecords();
    bench::RemoveTree("C:\\VZTEST");
    CopyText(g_setup.productVersion, "5.0");
  }
  void TearDown() override {
    bench::TestMachine::ClearProductRecords();
    bench::RemoveTree("C:\\VZTEST");
  }
};

TEST_F(Records, KeysAndPaths) {
  char key[kVersionKeyCapacity];
  BuildVersionKey(key, sizeof key);
  EXPECT_STREQ(key, "SOFTWARE|Orvanto|Velzor|5.0");
  CopyText(g_setup.productVersion, "5.0.1234567");  // the longest version the context holds
  BuildVersionKey(key, sizeof key);
  EXPECT_STREQ(key, "SOFTWARE|Orvanto|Velzor|5.0.1234567");
  SetPerOsIniPath();
  EXPECT_EQ(std::string(g_setup.perOsIniPath), bench::TestMachine::WindowsFolder() + "VZ32.INI");
}

TEST_F(Records, InstalledHereAndBefore) {
  EXPECT_FALSE(IsInstalledOnThisOS());
  EXPECT_FALSE(HasPreviousInstallation());
  bench::SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor", "DisplayName",
                    "Velzor");
  bench::SetRegText(HKEY_USERS, ".Default\\Software\\Orvanto\\Velzor", "LastVerInstalled", "4.52");
  EXPECT_TRUE(IsInstalledOnThisOS());
  EXPECT_TRUE(HasPreviousInstallation());
}

TEST_F(Records, PreviousInstallFolderFromUninstPath) {
  struct Case { const char* uninstPath; const char* folder; } cases[] = {
      {"C:\\WINDOWS\\UNINST.EXE -f C:\\APP\\DATA.LOG", "c:\\app\\"},
      {"C:\\WINDOWS\\Uninst.exe  -f C:\\APP\\DATA.LOG", "c:\\app\\"},
      {"C:\\WINDOWS\\UNINST.EXE C:\\APP\\DATA.LOG", "unchanged"},
      {"C:\\WINDOWS\\UNINST.EXE -f DATA.LOG", "data.log"},
      {nullptr, "unchanged"},  // no "UninstPath" at all
  };
  for (const auto& c : cases) {
    bench::DeleteRegValue(HKEY_LOCAL_MACHINE, kProduct, "UninstPath");
    if (c.uninstPath) bench::SetRegText(HKEY_LOCAL_MACHINE, kProduct, "UninstPath", c.uninstPath);
    char folder[kPathCapacity] = "unchanged";
    ReadPreviousInstallFolder(folder);
    EXPECT_STREQ(folder, c.folder) << (c.uninstPath ? c.uninstPath : "(absent)");
  }
}

TEST_F(Records, RestartFlagsInTheVersionKey) {
  struct Case { const char* value; bool set; } cases[] = {{"10", true}, {"1", true}, {"0", false}, {"", false},
                                                          {nullptr, false}};
  for (const auto& c : cases) {
    bench::DeleteRegValue(HKEY_LOCAL_MACHINE, kVersionKey50, "CalledFromInstall");
    bench::DeleteRegValue(HKEY_LOCAL_MACHINE, kVersionKey50, "CalledFromUninst");
    if (c.value) {
      bench::SetRegText(HKEY_LOCAL_MACHINE, kVersionKey50, "CalledFromInstall", c.value);
      bench::SetRegText(HKEY_LOCAL_MACHINE, kVersionKey50, "CalledFromUninst", c.value);
    }
    EXPECT_EQ(IsCalledFromInstall(), c.set) << (c.value ? c.value : "(absent)");
    EXPECT_EQ(IsCalledFromUninstall(), c.set) << (c.value ? c.value : "(absent)");
  }
  // Another version's key is another key.
  CopyText(g_setup.productVersion, "4.52");
  EXPECT_FALSE(IsCalledFromInstall());
  SetCalledFromInstall();
  EXPECT_EQ(bench::RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto\\Velzor\\4.52", "CalledFromInstall"), "1");
  EXPECT_TRUE(IsCalledFromInstall());
  ClearCalledFromInstall();
  EXPECT_FALSE(bench::RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto\\Velzor\\4.52", "CalledFromInstall").has_value());
  EXPECT_FALSE(IsCalledFromInstall());
  ClearCalledFromInstall();  // nothing to clear is no error
}

TEST_F(Records, ProductTypeIsReadWithFourBytes) {
  struct Case { const char* value; int type; } cases[] = {
      {"3", 3}, {"2", 2}, {"12", 12}, {"1234", 123}, {" 7", 7}, {"x3", 0}, {"", 0}, {nullptr, 0}};
  for (const auto& c : cases) {
    bench::DeleteRegValue(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "Type");
    if (c.value) bench::SetRegText(HKEY_CURRENT_USER, "Software\\Orvanto\\Velzor", "Type", c.value);
    EXPECT_EQ(ReadProductType(), c.type) << (c.value ? c.value : "(absent)");
  }
}

// The install map file and the other system's VZ32.INI, for the system this
// program runs as.
struct OtherSystemCase {
  const char* what;
  const char* mapEntries;   // lines of [Path]; nullptr: no install map file
  const char* otherIni;     // C:\VZTEST\OTHER\VZ32.INI; nullptr: none
  bool recorded;
  double version;
};

void CheckOtherSystem(const OtherSystemCase& c) {
  bench::RemoveTree("C:\\VZTEST");
  DeleteFileA("C:\\VZ.INI");
  if (c.mapEntries) bench::WriteFileBytes("C:\\VZ.INI", std::string("[Path]\r\n") + c.mapEntries);
  if (c.otherIni) bench::WriteFileBytes("C:\\VZTEST\\OTHER\\VZ32.INI", c.otherIni);
  EXPECT_EQ(IsOtherOSRecorded(), c.recorded) << c.what;
  EXPECT_DOUBLE_EQ(ReadOtherOSVersion(), c.version) << c.what;
}

TEST_F(Records, OtherSystemSeenFromWindowsNT) {
  if (GetOS() == 1) GTEST_SKIP() << "runs as Windows NT";
  EXPECT_STREQ(OwnSystemName(), "Windows NT");
  EXPECT_STREQ(OtherSystemName(), "Windows 95");
  const OtherSystemCase cases[] = {
      {"no install map file", nullptr, nullptr, false, 0},
      {"5.00 is version 5.0", "Windows 95=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nVersion=5.00\r\n", true, 5.0},
      {"folder with its backslash", "Windows 95=C:\\VZTEST\\OTHER\\\r\n", "[Info]\r\nVersion=4.52\r\n", true, 4.52},
      {"version read with 6 bytes", "Windows 95=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nVersion=5.0.1234\r\n", true, 5.0},
      {"no VZ32.INI", "Windows 95=C:\\VZTEST\\OTHER\r\n", nullptr, true, 0},
      {"no version", "Windows 95=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nType=2\r\n", true, 0},
      {"only this system's entry", "Windows NT=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nVersion=5.0\r\n", false, 0},
      {"empty entry", "Windows 95=\r\n", "[Info]\r\nVersion=5.0\r\n", false, 0},
  };
  for (const auto& c : cases) CheckOtherSystem(c);
  EXPECT_EQ(VersionValue("5.0"), 5.0);
}

TEST_F(Records, OtherSystemSeenFromWindows95) {
  if (GetOS() != 1) GTEST_SKIP() << "runs as Windows 95, in a copy of this program";
  EXPECT_STREQ(OwnSystemName(), "Windows 95");
  EXPECT_STREQ(OtherSystemName(), "Windows NT");
  const OtherSystemCase cases[] = {
      {"no Windows NT entry", "Windows 95=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nVersion=5.0\r\n", false, 0},
      {"Windows NT entry", "Windows NT=C:\\VZTEST\\OTHER\r\n", "[Info]\r\nVersion=5.00\r\n", true, 5.0},
  };
  for (const auto& c : cases) CheckOtherSystem(c);
}

TEST(RecordsWindows95, TheCasesRunAsWindows95) {
  if (bench::IsOwnCopy()) GTEST_SKIP() << "this is the copy";
  auto run = bench::RunOwnCopyAs(bench::Os::Windows95, "Records.OtherSystemSeenFromWindows95:Records.RestartFlags*");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << "a case failed when run as Windows 95";
}

}  // namespace
}  // namespace vz
