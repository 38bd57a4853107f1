// The robot user proves itself on a fixture program: it reads message boxes
// and dialogs as a person sees them and answers only through what a person
// could reach.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "machine.h"
#include "robot.h"

using namespace bench;

namespace {

std::string Fixture() { return TestMachine::BinFolder() + "robot_fixture.exe"; }

struct BoxCase {
  UINT style;
  const char* icon;
  const char* buttons;
  int answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << "style " << c.style << " answer " << c.answer; }

class RobotMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(RobotMessageBox, ReadsTextIconAndButtonsAndAnswers) {
  const auto& c = GetParam();
  Robot user;
  user.Expect(MessageBox("Fixture Caption").WithText("First line\nsecond line").WithIcon(c.icon).WithButtons(c.buttons))
      .Answer(c.answer);
  auto run = RunProgram(Fixture(), "msgbox " + std::to_string(c.style) + " \"Fixture Caption\" First line\\nsecond line", user);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(c.answer));
  auto seen = user.Find("Fixture Caption");
  EXPECT_EQ(seen.owner, "none");
}

INSTANTIATE_TEST_SUITE_P(
    Styles, RobotMessageBox,
    ::testing::Values(BoxCase{MB_OK | MB_ICONINFORMATION, "information", "OK", IDOK},
                      BoxCase{MB_OKCANCEL | MB_ICONEXCLAMATION, "exclamation", "OK|Cancel", IDCANCEL},
                      BoxCase{MB_YESNOCANCEL | MB_ICONINFORMATION, "information", "Cancel|Yes|No", IDNO},
                      BoxCase{MB_YESNO | MB_ICONQUESTION, "question", "Yes|No", IDYES},
                      BoxCase{MB_RETRYCANCEL | MB_ICONWARNING, "exclamation", "Cancel|Retry", IDRETRY},
                      BoxCase{MB_OK, "none", "OK", IDOK}),
    [](const auto& info) { return std::string(info.param.icon) + "_" + std::to_string(info.index); });

TEST(Robot, FillsADialogAndReadsItsControls) {
  Robot user;
  user.Expect(Dialog("Robot Fixture")).SetCheck(1001, true).Type(1003, "typed text").Click(IDOK);
  std::string result = "C:\\robot_result.txt";
  DeleteFileA(result.c_str());
  auto run = RunProgram(Fixture(), "dialog " + result, user);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(IDOK));
  EXPECT_EQ(ReadFileBytes(result).value_or(""), "check1=1 check2=1 text=typed text");

  auto seen = user.Find("Robot Fixture");
  ASSERT_NE(seen.hwnd, nullptr);
  EXPECT_TRUE(seen.HasCloseBox());
  ASSERT_NE(seen.Control(1002), nullptr);
  EXPECT_FALSE(seen.Control(1002)->enabled);
  EXPECT_EQ(seen.Control(1002)->check, 1);
  EXPECT_EQ(seen.Control(1001)->text, "Enabled option");
  EXPECT_EQ(seen.Control(1001)->check, 0) << "states are recorded as the window first showed them";
}

TEST(Robot, EscCancelsADialogThatAllowsIt) {
  Robot user;
  user.Expect(Dialog("Robot Fixture")).PressEsc();
  auto run = RunProgram(Fixture(), "dialog C:\\robot_result.txt", user);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(IDCANCEL));
}

TEST(Robot, RefusesToClickWhatAPersonCouldNotReach) {
  Robot user;
  user.Expect(Dialog("Robot Fixture")).SetCheck(1002, false).Click(IDCANCEL);
  RunProgram(Fixture(), "dialog C:\\robot_result.txt", user, {.reportRobotFailures = false});
  EXPECT_EQ(ReadFileBytes("C:\\robot_result.txt").value_or(""), "check1=0 check2=1 text=")
      << "the disabled box must stay as it was";
  ASSERT_EQ(user.Failures().size(), 1u);
  EXPECT_NE(user.Failures()[0].find("cannot be reached"), std::string::npos);
}

TEST(Robot, AnUnexpectedWindowAndAMissingOneAreFailures) {
  Robot user;
  user.Expect(MessageBox("Something Else")).Answer(IDOK);
  RunProgram(Fixture(), "msgbox 0 \"Fixture Caption\" hello", user, {.reportRobotFailures = false});
  auto failures = user.Failures();
  ASSERT_EQ(failures.size(), 2u) << user.Transcript();
  EXPECT_NE(failures[0].find("expected message box \"Something Else\", saw \"Fixture Caption\""), std::string::npos);
  EXPECT_NE(failures[1].find("never came"), std::string::npos);
  EXPECT_NE(user.Transcript().find("dismissed (not scripted)"), std::string::npos);
}

TEST(Robot, AStuckProgramIsEndedAtItsTimeOut) {
  Robot user;  // nobody answers the box
  user.Expect(MessageBox("Fixture Caption")).Wait(10);
  bool failed = false;
  {
    ::testing::TestPartResultArray results;
    ::testing::ScopedFakeTestPartResultReporter reporter(&results);
    auto run = RunProgram(Fixture(), "msgbox 0 \"Fixture Caption\" waiting", user, {.timeoutMs = 1500});
    EXPECT_TRUE(run.timedOut);
    failed = results.size() > 0;
  }
  EXPECT_TRUE(failed) << "a time-out must fail the test";
  EXPECT_TRUE(user.Saw("Fixture Caption"));
}

}  // namespace
