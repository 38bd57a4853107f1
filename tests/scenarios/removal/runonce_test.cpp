// The /runonce phase on the shared machine: what it starts, and that it
// starts nothing without a recorded setup media folder.
#include <gtest/gtest.h>

#include "machine.h"
#include "removal_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace removal;

namespace {

class RunOnce : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    CloseWindows("Setup");
  }
  void TearDown() override { CloseWindows("Setup"); }
};

// A relative "SETUP.EXE" would be found in the helper's own folder, where the
// build put one: nothing may be started from a path that was not recorded.
TEST_F(RunOnce, WithoutARecordedSetupFolderNothingStarts) {
  for (const char* setupDrive : {static_cast<const char*>(nullptr), ""}) {
    auto machine = TestMachine::Prepared(Os::Windows95);
    SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", kVersion);
    if (setupDrive) SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv", setupDrive);
    Robot user;
    auto run = machine.RunHelper("/runonce", user, {.timeoutMs = 15000});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
    EXPECT_FALSE(WaitForWindow("Setup", 1500)) << (setupDrive ? "empty" : "no") << " SetupDrv started a setup";
  }
}

// The version handed over names the version key whose SetupDrv is used.
TEST_F(RunOnce, StartsTheSetupOfTheRecordedFolderOfTheVersionHandedOver) {
  auto machine = TestMachine::Prepared(Os::WindowsNT);
  std::string media = ScratchFolder("MEDIA");
  std::string other = ScratchFolder("OTHERMEDIA");
  WriteFileBytes(media + "SETUP.EXE", Media("SETUP.EXE"));
  WriteFileBytes(other + "SETUP.EXE", Media("SETUP.EXE"));
  SetRegText(HKEY_CURRENT_USER, kUserProductKey, "TempCurrentVersion", "4.5");
  SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto\\Velzor\\4.5", "SetupDrv", "c:\\vztest\\media");
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv", other);
  Robot user;
  auto run = machine.RunHelper("/runonce", user, {.timeoutMs = 15000});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  HWND setup = WaitForWindow("Setup");
  ASSERT_TRUE(setup) << "SETUP.EXE did not start";
  EXPECT_TRUE(SameFile(ProgramOf(setup), media + "SETUP.EXE")) << ProgramOf(setup);
}

}  // namespace
