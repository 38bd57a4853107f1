// The helper's entry: which phase runs, and what happens to the outer
// setup's window around it.
#include <gtest/gtest.h>

#include "machine.h"
#include "outer_setup_window.h"
#include "robot.h"

using namespace bench;

namespace {

struct DispatchCase {
  const char* commandLine;
  const char* events;  // what the "Setup" window saw
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << "\"" << c.commandLine << "\""; }

class Dispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(Dispatch, HidesTheOuterSetupAroundThePhase) {
  auto machine = TestMachine::Prepared(Os::WindowsNT);
  OuterSetupWindow setup;
  Robot user;  // no window is expected
  auto run = machine.RunHelper(GetParam().commandLine, user);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), GetParam().events);
  EXPECT_EQ(setup.Visible(), std::string(GetParam().events).empty() || std::string(GetParam().events).ends_with("foreground"));
}

INSTANTIATE_TEST_SUITE_P(
    Entry, Dispatch,
    ::testing::Values(
        // An empty command line leaves the outer setup alone.
        DispatchCase{"", ""},
        // Any other command line hides it, runs what it names, shows it again.
        // (/runonce without a recorded setup folder starts nothing.)
        DispatchCase{"/unknown", "hidden shown foreground"},
        DispatchCase{"/RunOnce", "hidden shown foreground"},
        DispatchCase{"/endsetu", "hidden shown foreground"},
        DispatchCase{"/initsetu*C:\\*C:\\windows", "hidden shown foreground"},
        DispatchCase{"/x", "hidden shown foreground"}),
    [](const auto& info) {
      std::string name;
      for (char c : std::string(info.param.commandLine))
        if (isalnum(static_cast<unsigned char>(c))) name += c;
      return std::to_string(info.index) + "_" + (name.empty() ? "Empty" : name);
    });

TEST(Entry, WithoutAnOuterSetupWindowNothingIsTouched) {
  auto machine = TestMachine::Prepared(Os::Windows95);
  Robot user;
  auto run = machine.RunHelper("/unknown", user);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(user.Seen().empty());
}

TEST(Entry, AnOuterSetupWindowByAnotherTitleIsNotTouched) {
  auto machine = TestMachine::Prepared(Os::WindowsNT);
  OuterSetupWindow other("Setup Wizard");
  Robot user;
  machine.RunHelper("/unknown", user);
  EXPECT_EQ(other.Events(), "");
}

}  // namespace

namespace {

// A phase that abandons the installation closes the outer setup; the entry's
// showing afterwards then finds no window and shows nothing.
TEST(Entry, AClosedOuterSetupIsNotShownAgain) {
  TestMachine::ClearProductRecords();
  OuterSetupWindow setup;
  Robot user;
  SetProgramOs("vzops.exe", Os::WindowsNT);
  auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe", "CloseThenShowOuterSetup", user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(setup.Events(), "closed");
  EXPECT_FALSE(setup.Exists());
}

}  // namespace
