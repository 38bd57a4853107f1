// The interactive end of an installation, run whole by vzops.exe: optional
// components, the Word and shell steps, the start-up components and their
// records, the diskette loop and the scheduler offer.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "components_machine.h"
#include "machine.h"
#include "robot.h"

using namespace bench;
using namespace components;

namespace {

constexpr int kWordBox = 1023, kShellBox = 1024;
constexpr int kOnlineBox = 1000, kSchedulerBox = 1001, kToolbarBox = 1002, kRescueLabel = 1027;
const char kOptionalCaption[] = "Select Components to Install";
const char kSchedulerQuestion[] =
    "Velzor comes with a powerful scheduler to schedule the scans.\nWould you like to schedule the Velzor scanner now?";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kStartupRunValues[] = {"Velzor Scheduler", "Velzor ToolBar", "Velzor On-Line Protection"};
const char* const kShellClasses[] = {"comfile", "exefile", "Drive", "Directory", "vzcomp"};

std::string Media(const char* name) { return ReadFileBytes(TestMachine::MediaFolder() + name).value_or("(missing)"); }

class ComponentSelection : public ComponentsMachine {
 protected:
  void SetUp() override {
    ComponentsMachine::SetUp();
    for (const char* name : {"VZ95.CNF", "VZNT.CNF", "VZFW97.MAL", "VZFW.DOC", "DOTBK.EXE"})
      WriteFileBytes(kInstall + name, Media(name));
    ForgetShellVerbs();
  }
  void TearDown() override {
    ForgetShellVerbs();
    ComponentsMachine::TearDown();
  }

  static RunResult Run(Os os, Robot& user) { return RunOps(os, "RunComponentSelection " + kResult, user); }

  static void ForgetShellVerbs() {
    for (const char* cls : kShellClasses) DeleteRegTree(HKEY_CLASSES_ROOT, std::string(cls) + "\\shell\\Velzor Scan");
    for (const char* extension : {".ARJ", ".ZIP"})
      if (RegText(HKEY_CLASSES_ROOT, extension, "") == "vzcomp") DeleteRegTree(HKEY_CLASSES_ROOT, extension);
    DeleteRegTree(HKEY_CLASSES_ROOT, "vzcomp");
  }
  static std::optional<std::string> ScanVerb(const char* cls) {
    return RegText(HKEY_CLASSES_ROOT, std::string(cls) + "\\shell\\Velzor Scan\\command", "");
  }

  // The optional components dialog with Word not installed: the warning, then
  // the dialog, left with shell extensions unchosen (they change HKCR).
  static void OptionalWithoutWord(Robot& user) {
    user.Expect(MessageBox("Warning")).Answer(IDOK);
    user.Expect(Dialog(kOptionalCaption)).SetCheck(kShellBox, false).Click(IDOK);
  }
  static void SchedulerQuestion(Robot& user, int answer) {
    user.Expect(MessageBox("Schedule Velzor Scanner").WithText(kSchedulerQuestion).WithIcon("question").WithButtons(
                    "Yes|No"))
        .Answer(answer);
  }
};

// --- Dialogs and diskettes per system and Type ----------------------------------------

struct SystemCase {
  const char* name;
  Os os;
  const char* type;
  int startupTemplate;
  bool disketteLoop;
  Choices choices;
};

void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.name; }

class EachSystem : public ComponentSelection, public ::testing::WithParamInterface<SystemCase> {};

// The run machine has no diskette drive: the diskette loop, when it runs,
// says so and ends.
TEST_P(EachSystem, GetsItsStartupDialogAndDiskettes) {
  const auto& c = GetParam();
  SetType(c.type);
  Robot user;
  OptionalWithoutWord(user);
  user.Expect(Dialog("Setup")).Click(IDOK);
  if (c.disketteLoop) user.Expect(MessageBox("No Floppy Drive Detected")).Answer(IDOK);
  SchedulerQuestion(user, IDNO);
  auto run = Run(c.os, user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadChoices(), c.choices);

  WindowSeen startup = user.Find("Setup");
  ASSERT_NE(startup.hwnd, nullptr);
  EXPECT_EQ(startup.Control(kRescueLabel) != nullptr, c.startupTemplate == 102) << "not template " << c.startupTemplate;
  for (const char* value : kStartupRunValues)
    EXPECT_TRUE(RegText(HKEY_LOCAL_MACHINE, kRunKey, value).has_value()) << value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EachSystem,
    ::testing::Values(SystemCase{"NT_Type2", Os::WindowsNT, "2", 102, false, {0, 0, 1, 1, 1, 0, 0}},
                      SystemCase{"NT_Type3", Os::WindowsNT, "3", 103, true, {0, 0, 1, 1, 1, 0, 1}},
                      SystemCase{"Win95_Type2", Os::Windows95, "2", 102, true, {0, 0, 1, 1, 1, 1, 0}},
                      SystemCase{"Win95_Type3", Os::Windows95, "3", 103, true, {0, 0, 1, 1, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComponentSelection, NothingStartsWithWindowsWhenAllAreUnchecked) {
  SetType("2");
  for (const char* value : kStartupRunValues) SetRegText(HKEY_LOCAL_MACHINE, kRunKey, value, "C:\\OLD\\PROGRAM.EXE");
  std::string record = Media("VZNT.CNF");
  ASSERT_GE(record.size(), 6u);
  record.replace(0, 6, std::string("\1\0\1\0\1\0", 6));
  WriteFileBytes(kInstall + "VZNT.CNF", record);

  Robot user;  // no scheduler question follows
  OptionalWithoutWord(user);
  user.Expect(Dialog("Setup"))
      .SetCheck(kOnlineBox, false)
      .SetCheck(kSchedulerBox, false)
      .SetCheck(kToolbarBox, false)
      .Click(IDOK);
  Run(Os::WindowsNT, user);
  EXPECT_EQ(ReadChoices(), (Choices{0, 0, 0, 0, 0, 0, 0}));
  for (const char* value : kStartupRunValues)
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, value).has_value()) << value;
  EXPECT_EQ(ReadFileBytes(kInstall + "VZNT.CNF").value_or("").substr(0, 6), std::string(6, '\0'))
      << "the start-up record says that nothing starts";
  EXPECT_FALSE(user.Saw("Schedule Velzor Scanner"));
}

// --- Word and shell extensions -------------------------------------------------------

struct OptionalCase {
  const char* name;
  bool word;
  bool shell;
};

void PrintTo(const OptionalCase& c, std::ostream* os) { *os << c.name; }

class OptionalSteps : public ComponentSelection, public ::testing::WithParamInterface<OptionalCase> {};

// Word 97 is protected without being started: its global template is
// replaced, which shows whether the Word step ran.
TEST_P(OptionalSteps, RunOnlyWhenChosen) {
  const auto& c = GetParam();
  SetType("2");
  InstallWord(true);
  SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0\\Word", "", "");
  WriteFileBytes(kWordFolder + "NORMAL.DOT", "the user's global template");
  Robot user;
  user.Expect(Dialog(kOptionalCaption)).SetCheck(kWordBox, c.word).SetCheck(kShellBox, c.shell).Click(IDOK);
  user.Expect(Dialog("Setup")).SetCheck(kSchedulerBox, false).Click(IDOK);
  Run(Os::WindowsNT, user);
  EXPECT_EQ(ReadChoices(), (Choices{c.word, c.shell, 1, 0, 1, 0, 0}));

  if (c.word) {
    EXPECT_EQ(ReadFileBytes(kWordFolder + "NORMAL.DOT").value_or(""), Media("VZFW97.MAL"));
    EXPECT_TRUE(RegText(HKEY_LOCAL_MACHINE, kRunKey, "VZFW").has_value());
  } else {
    EXPECT_EQ(ReadFileBytes(kWordFolder + "NORMAL.DOT").value_or(""), "the user's global template");
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, "VZFW").has_value());
  }
  for (const char* cls : {"comfile", "exefile", "Drive", "Directory"}) {
    if (c.shell)
      EXPECT_EQ(ScanVerb(cls), kInstall + "VZ32.EXE /Vz32Scan%1") << cls;
    else
      EXPECT_FALSE(ScanVerb(cls).has_value()) << cls;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionalSteps,
                         ::testing::Values(OptionalCase{"BothChosen", true, true},
                                           OptionalCase{"NeitherChosen", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The scheduler offer ---------------------------------------------------------------

// Yes starts the scheduler; the helper waits, keeping its messages flowing,
// until the user has closed the scheduler's window, and ends right after.
TEST_F(ComponentSelection, SchedulerYesWaitsUntilTheUserClosesTheScheduler) {
  SetType("2");
  WriteFileBytes(kInstall + "VZSCHED.EXE", Media("VZSCHED.EXE"));
  HANDLE helper = nullptr;
  Robot user;
  OptionalWithoutWord(user);
  user.Expect(Dialog("Setup")).Click(IDOK);
  SchedulerQuestion(user, IDYES);
  user.Expect(Dialog("Velzor Scheduler").FromAnyProcess())
      .Do(
          [&helper](HWND scheduler, Robot& robot) {
            // The helper looks for the window 2.5 s after the start; the user takes longer.
            Sleep(4000);
            DWORD pid = 0;
            for (const WindowSeen& seen : robot.Seen())
              if (seen.caption == "Schedule Velzor Scanner") pid = seen.pid;
            helper = OpenProcess(SYNCHRONIZE, FALSE, pid);
            if (!helper || WaitForSingleObject(helper, 0) != WAIT_TIMEOUT)
              robot.Fail("the helper did not wait for the scheduler");
          },
          "take a while")
      .Close();
  auto run = Run(Os::WindowsNT, user);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(FindWindowA(nullptr, "Velzor Scheduler")) << "the helper ended while the scheduler was still open";
  if (helper) CloseHandle(helper);
}

TEST_F(ComponentSelection, SchedulerThatDoesNotComeEndsTheWaitQuietly) {
  SetType("2");  // and no VZSCHED.EXE in the install folder
  Robot user;
  OptionalWithoutWord(user);
  user.Expect(Dialog("Setup")).Click(IDOK);
  SchedulerQuestion(user, IDYES);
  auto run = Run(Os::WindowsNT, user);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(user.Seen().size(), 4u) << user.Transcript();
}

}  // namespace
