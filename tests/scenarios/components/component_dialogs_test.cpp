// The optional components and start-up components dialogs, each run on its
// own by vzops.exe: what they show for each system and product Type, what they
// keep of the user's choices, and the help they open and close.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "components_machine.h"
#include "machine.h"
#include "robot.h"

using namespace bench;
using namespace components;

namespace {

constexpr int kWordBox = 1023, kShellBox = 1024, kOptionalHelp = 9;
constexpr int kOnlineBox = 1000, kSchedulerBox = 1001, kToolbarBox = 1002, kEmergencyBox = 1003, kRescueBox = 1004;
constexpr int kStartupHelp = 1022, kRescueLabel = 1027, kRescueText = 1028;

const char kOptionalCaption[] = "Select Components to Install";
const char kWordWarning[] =
    "Could not locate MS-Word. If you install MS-Word later, load it and open VZFW.DOC file for macro virus "
    "protection.";

std::string OptionalArgs() { return "ComponentDialog 149 optional " + kResult; }
std::string StartupArgs(int templateId) { return "ComponentDialog " + std::to_string(templateId) + " startup " + kResult; }

// Centred on the 1024 x 768 screen of the bench, within rounding.
void ExpectCentred(const WindowSeen& seen) {
  int width = seen.rect.right - seen.rect.left, height = seen.rect.bottom - seen.rect.top;
  EXPECT_NEAR(seen.rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1);
  EXPECT_NEAR(seen.rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 1);
}

struct BoxState {
  int check;
  bool enabled;
};

void ExpectBox(const WindowSeen& seen, int id, BoxState expected, const char* what) {
  const ControlSeen* box = seen.Control(id);
  ASSERT_NE(box, nullptr) << what << " is missing";
  EXPECT_EQ(box->check, expected.check) << what;
  EXPECT_EQ(box->enabled, expected.enabled) << what;
  EXPECT_TRUE(box->visible) << what;
}

// --- The start-up components dialog, per system and Type ------------------------------

struct StartupCase {
  const char* name;
  Os os;
  const char* type;
  int templateId;
  BoxState rescue;
  bool rescueTextsEnabled;  // template 102 only
  BoxState emergency;       // template 103 only
  Choices kept;             // after Next, nothing changed
};

void PrintTo(const StartupCase& c, std::ostream* os) { *os << c.name; }

class StartupDialog : public ComponentsMachine, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupDialog, OffersWhatTheSystemAndTypeAllow) {
  const auto& c = GetParam();
  SetType(c.type);
  Robot user;
  user.Expect(Dialog("Setup")).Click(IDOK);
  auto run = RunOps(c.os, StartupArgs(c.templateId), user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadChoices(), c.kept);

  WindowSeen seen = user.Find("Setup");
  ASSERT_NE(seen.hwnd, nullptr);
  EXPECT_FALSE(seen.HasCloseBox());
  ExpectCentred(seen);
  for (int id : {kOnlineBox, kSchedulerBox, kToolbarBox}) ExpectBox(seen, id, {1, true}, "start-up component");
  EXPECT_EQ(seen.Control(kOnlineBox)->text, "&Online Protection");
  EXPECT_EQ(seen.Control(kSchedulerBox)->text, "&Scheduler");
  EXPECT_EQ(seen.Control(kToolbarBox)->text, "&Toolbar");
  EXPECT_EQ(seen.Control(IDOK)->text, "&Next >");
  EXPECT_EQ(seen.Control(kStartupHelp)->text, "Help");
  EXPECT_EQ(seen.Control(IDCANCEL), nullptr) << "the dialog has no Cancel button";
  ExpectBox(seen, kRescueBox, c.rescue, "Create Rescue disk");
  if (c.templateId == 102) {
    EXPECT_EQ(seen.Control(kEmergencyBox), nullptr);
    ASSERT_NE(seen.Control(kRescueLabel), nullptr);
    EXPECT_EQ(seen.Control(kRescueLabel)->text, "Rescue diskette. (for Windows 95 Only)");
    EXPECT_EQ(seen.Control(kRescueLabel)->enabled, c.rescueTextsEnabled);
    EXPECT_EQ(seen.Control(kRescueText)->enabled, c.rescueTextsEnabled);
  } else {
    EXPECT_EQ(seen.Control(kRescueLabel), nullptr);
    EXPECT_EQ(seen.Control(kRescueText), nullptr);
    ExpectBox(seen, kEmergencyBox, c.emergency, "Create Emergency disk");
    EXPECT_EQ(seen.Control(kEmergencyBox)->text, "Create &Emergency disk");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupDialog,
    ::testing::Values(
        // Windows NT: no Rescue diskette, its box and texts disabled.
        StartupCase{"NT_Type2", Os::WindowsNT, "2", 102, {0, false}, false, {}, {0, 0, 1, 1, 1, 0, 0}},
        StartupCase{"NT_NoType", Os::WindowsNT, nullptr, 102, {0, false}, false, {}, {0, 0, 1, 1, 1, 0, 0}},
        StartupCase{"Win95_Type2", Os::Windows95, "2", 102, {1, true}, true, {}, {0, 0, 1, 1, 1, 1, 0}},
        // Type 3: the Emergency diskette too, on either system.
        StartupCase{"NT_Type3", Os::WindowsNT, "3", 103, {0, false}, false, {1, true}, {0, 0, 1, 1, 1, 0, 1}},
        StartupCase{"Win95_Type3", Os::Windows95, "3", 103, {1, true}, true, {1, true}, {0, 0, 1, 1, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComponentsMachine, StartupChoicesAreKeptAsTheUserLeavesThem) {
  SetType("3");
  Robot user;
  user.Expect(Dialog("Setup"))
      .SetCheck(kOnlineBox, false)
      .SetCheck(kSchedulerBox, false)
      .SetCheck(kToolbarBox, false)
      .SetCheck(kRescueBox, false)
      .SetCheck(kEmergencyBox, false)
      .SetCheck(kToolbarBox, true)
      .Click(IDOK);
  auto run = RunOps(Os::Windows95, StartupArgs(103), user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadChoices(), (Choices{0, 0, 0, 0, 1, 0, 0}));
}

// --- The optional components dialog and Word ----------------------------------------

TEST_F(ComponentsMachine, WordFoundIsOfferedAndChosen) {
  InstallWord(true);
  Robot user;
  user.Expect(Dialog(kOptionalCaption)).SetCheck(kShellBox, false).Click(IDOK);
  auto run = RunOps(Os::WindowsNT, OptionalArgs(), user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadChoices(), (Choices{1, 0, 0, 0, 0, 0, 0}));

  WindowSeen seen = user.Find(kOptionalCaption);
  ASSERT_NE(seen.hwnd, nullptr);
  EXPECT_FALSE(seen.HasCloseBox());
  ExpectCentred(seen);
  ExpectBox(seen, kWordBox, {1, true}, "Word macro virus protection");
  ExpectBox(seen, kShellBox, {1, true}, "Shell extensions");
  EXPECT_EQ(seen.Control(kWordBox)->text, "Word macro virus protection.");
  EXPECT_EQ(seen.Control(kShellBox)->text, "Shell extensions for desktop icons.");
  EXPECT_EQ(seen.Control(IDOK)->text, "OK");
  EXPECT_EQ(seen.Control(kOptionalHelp)->text, "Help");
  EXPECT_EQ(user.CountSeen("Warning"), 0);
}

struct WordMissingCase {
  const char* name;
  bool recorded;       // Word's "doc" record present
  bool programExists;  // its program file there
};

void PrintTo(const WordMissingCase& c, std::ostream* os) { *os << c.name; }

class WordMissing : public ComponentsMachine, public ::testing::WithParamInterface<WordMissingCase> {};

TEST_P(WordMissing, WarnsFirstAndOffersNoWordProtection) {
  if (GetParam().recorded) InstallWord(GetParam().programExists);
  Robot user;
  user.Expect(MessageBox("Warning").WithText(kWordWarning).WithIcon("information").WithButtons("OK")).Answer(IDOK);
  user.Expect(Dialog(kOptionalCaption)).Click(IDOK);
  auto run = RunOps(Os::Windows95, OptionalArgs(), user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadChoices(), (Choices{0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(user.Find("Warning").owner, "none");
  WindowSeen seen = user.Find(kOptionalCaption);
  ASSERT_NE(seen.hwnd, nullptr);
  ExpectBox(seen, kWordBox, {0, false}, "Word macro virus protection");
  ExpectBox(seen, kShellBox, {1, true}, "Shell extensions");
}

INSTANTIATE_TEST_SUITE_P(Cases, WordMissing,
                         ::testing::Values(WordMissingCase{"NotRecorded", false, false},
                                           WordMissingCase{"RecordedButProgramMissing", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Help, Esc and the check boxes ---------------------------------------------------

struct HelpCase {
  const char* name;
  Os os;
  const char* type;
  std::string arguments;
  const char* caption;
  int helpButton;
  const char* topic;  // the title the help topic begins with
  int box;            // a check box the user clicks while help is open
  Choices kept;
};

void PrintTo(const HelpCase& c, std::ostream* os) { *os << c.name; }

class HelpAndEsc : public ComponentsMachine, public ::testing::WithParamInterface<HelpCase> {};

// The Help button opens its topic; a click on a check box, or Esc, closes the
// help window and leaves the dialog open; the dialog's end closes it too.
TEST_P(HelpAndEsc, HelpOpensItsTopicAndOtherCommandsCloseIt) {
  const auto& c = GetParam();
  SetType(c.type);
  InstallWord(true);
  Robot user;
  Step& step = user.Expect(Dialog(c.caption));
  step.Click(c.helpButton);
  ExpectHelpTopic(step, c.topic);
  step.SetCheck(c.box, false);
  ExpectHelpClosed(step);
  step.StaysOpen();
  step.Click(c.helpButton);
  ExpectHelpTopic(step, c.topic);
  step.PressEsc();
  ExpectHelpClosed(step);
  step.StaysOpen();
  step.PressEsc().StaysOpen();
  step.Click(c.helpButton);
  ExpectHelpTopic(step, c.topic);
  step.Click(IDOK);
  auto run = RunOps(c.os, c.arguments, user);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadChoices(), c.kept);
  EXPECT_TRUE(WaitForNoHelp()) << "the dialog's end leaves its help window open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpAndEsc,
    ::testing::Values(
        HelpCase{"Optional", Os::WindowsNT, "2", OptionalArgs(), kOptionalCaption, kOptionalHelp,
                 "Optional components", kShellBox, {1, 0, 0, 0, 0, 0, 0}},
        HelpCase{"Startup", Os::Windows95, "2", StartupArgs(102), "Setup", kStartupHelp,
                 "Components to start with Windows", kRescueBox, {0, 0, 1, 1, 1, 0, 0}},
        HelpCase{"StartupType3", Os::WindowsNT, "3", StartupArgs(103), "Setup", kStartupHelp,
                 "Components and diskettes", kEmergencyBox, {0, 0, 1, 1, 1, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
