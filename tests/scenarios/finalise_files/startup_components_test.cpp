// The start-up components and the system record, as Windows 95 and Windows
// NT see them: the Run values, the start-up record of VZ95.CNF or VZNT.CNF,
// and the system record misc.dll writes into VZ32.CNF.
#include <gtest/gtest.h>

#include <cstring>

#include "machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSchedulerValue[] = "Velzor Scheduler";
constexpr char kToolbarValue[] = "Velzor ToolBar";
constexpr char kOnlineValue[] = "Velzor On-Line Protection";

std::string Media(const char* name) {
  auto bytes = ReadFileBytes(TestMachine::MediaFolder() + name);
  EXPECT_TRUE(bytes) << name << " is not on the media";
  return bytes.value_or("");
}

// An install folder holding the configuration files as the media carries them.
std::string InstallConfigurationFiles() {
  std::string install = ScratchFolder("CNF");
  for (const char* name : {"VZ32.CNF", "VZ95.CNF", "VZNT.CNF"}) WriteFileBytes(install + name, Media(name));
  return install;
}

// Runs one helper operation in vzops.exe as the given system sees it.
DWORD RunOperation(Os os, const std::string& install, const std::string& operation) {
  SetProgramOs("vzops.exe", os);
  Robot user;  // the operation shows no window
  auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe", "--install " + install + " " + operation, user);
  EXPECT_TRUE(run.started);
  return run.exitCode;
}

struct StartupCase {
  const char* name;
  Os os;
  int scheduler, toolbar, online;
  std::string record;
};

void PrintTo(const StartupCase& c, std::ostream* os) { *os << c.name; }

class StartupComponents : public ::testing::TestWithParam<StartupCase> {};

TEST_P(StartupComponents, AreRecordedForTheSystem) {
  const StartupCase& c = GetParam();
  TestMachine::ClearProductRecords();
  std::string install = InstallConfigurationFiles();
  SetRegText(HKEY_LOCAL_MACHINE, kRunKey, kSchedulerValue, "C:\\OLD\\VZSCHED.EXE /startup");  // an earlier installation's

  char arguments[32];
  std::snprintf(arguments, sizeof arguments, "%d %d %d", c.scheduler, c.toolbar, c.online);
  EXPECT_EQ(RunOperation(c.os, install, std::string("WriteStartupComponents ") + arguments), 0u);

  auto expected = [&](int chosen, const char* program) {
    return chosen ? std::optional<std::string>(install + program) : std::nullopt;
  };
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, kSchedulerValue), expected(c.scheduler, "VZSCHED.EXE /startup"));
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, kToolbarValue), expected(c.toolbar, "TOOLBAR.EXE"));
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, kOnlineValue), expected(c.online, "NEXOLT.EXE"));

  const char* own = c.os == Os::Windows95 ? "VZ95.CNF" : "VZNT.CNF";
  const char* other = c.os == Os::Windows95 ? "VZNT.CNF" : "VZ95.CNF";
  EXPECT_EQ(ReadFileBytes(install + own), c.record + Media(own).substr(6));
  EXPECT_EQ(ReadFileBytes(install + other), Media(other));
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, StartupComponents,
    ::testing::Values(StartupCase{"AllThreeOn95", Os::Windows95, 1, 1, 1, std::string("\1\0\1\0\1\0", 6)},
                      StartupCase{"ToolbarOnlyOnNT", Os::WindowsNT, 0, 1, 0, std::string("\1\0\0\0\0\0", 6)},
                      StartupCase{"OnlineProtectionOnlyOn95", Os::Windows95, 0, 0, 1, std::string("\0\0\0\0\1\0", 6)},
                      StartupCase{"SchedulerOnlyOnNT", Os::WindowsNT, 1, 0, 0, std::string("\0\0\1\0\0\0", 6)},
                      StartupCase{"NoneOnNT", Os::WindowsNT, 0, 0, 0, std::string(6, '\0')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartupComponents, WithoutTheRecordFileTheRunValuesAreStillWritten) {
  TestMachine::ClearProductRecords();
  std::string install = InstallConfigurationFiles();
  DeleteFileA((install + "VZ95.CNF").c_str());

  EXPECT_EQ(RunOperation(Os::Windows95, install, "WriteStartupComponents 1 1 0"), 0u);

  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, kSchedulerValue), install + "VZSCHED.EXE /startup");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, kToolbarValue), install + "TOOLBAR.EXE");
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, kOnlineValue));
  EXPECT_FALSE(FileExists(install + "VZ95.CNF"));
  EXPECT_EQ(ReadFileBytes(install + "VZNT.CNF"), Media("VZNT.CNF"));
}

// --- The system record of VZ32.CNF --------------------------------------------------

uint16_t Word(const std::string& bytes, std::size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

struct SystemCase {
  const char* name;
  Os os;
  uint16_t system, major, minor, build;  // as Wine reports win95 and nt40
};

void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.name; }

class SystemRecord : public ::testing::TestWithParam<SystemCase> {};

TEST_P(SystemRecord, IsWrittenAfterTheDates) {
  const SystemCase& c = GetParam();
  std::string install = InstallConfigurationFiles();
  std::string shipped = Media("VZ32.CNF");

  EXPECT_EQ(RunOperation(c.os, install, "RecordConfigOS"), 0u);

  std::string after = ReadFileBytes(install + "VZ32.CNF").value_or("");
  ASSERT_EQ(after.size(), shipped.size());
  EXPECT_EQ(after.substr(0, 20), shipped.substr(0, 20));
  EXPECT_EQ(Word(after, 20), c.system);
  EXPECT_EQ(Word(after, 22), c.major);
  EXPECT_EQ(Word(after, 24), c.minor);
  EXPECT_EQ(Word(after, 26), c.build);
  EXPECT_EQ(after.substr(28, 4), std::string("\1\0\0\0", 4));  // the value the helper passes
  EXPECT_EQ(after.substr(32), shipped.substr(32));
}

INSTANTIATE_TEST_SUITE_P(Finalise, SystemRecord,
                         ::testing::Values(SystemCase{"Windows95", Os::Windows95, 1, 4, 0, 950},
                                           SystemCase{"WindowsNT", Os::WindowsNT, 2, 4, 0, 1381}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
