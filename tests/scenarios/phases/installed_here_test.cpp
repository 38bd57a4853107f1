// The pre-installation with the product installed on this system: the answer
// kept before a restart, the uninstaller's request, and the user's answer,
// each acted on; the product recorded on both systems refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "machine.h"
#include "outer_setup_window.h"
#include "phases_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace phases;

namespace {

const char kQuestionText[] =
    "Velzor is already installed on this system.\nWould you like to uninstall the previous version\nbefore proceeding "
    "with installation?\n\nSelect Cancel to stop installation";
const char kNotUninstalledText[] =
    "Previous version of Velzor was not uninstalled.\nCan not proceed with installation.";
const char kMoreThanOneText[] =
    "Velzor was installed on more than one operating systems.\nUninstall Velzor from all the operating systems "
    "before\ninstalling Velzor.";

// Notes when a registry key disappears, looking every few milliseconds.
class KeyWatch {
 public:
  explicit KeyWatch(std::string key) : key_(std::move(key)) {
    thread_ = std::thread([this] {
      while (!stop_) {
        if (!RegKeyExists(HKEY_LOCAL_MACHINE, key_)) {
          goneAt_ = GetTickCount64();
          return;
        }
        Sleep(5);
      }
    });
  }
  ~KeyWatch() {
    stop_ = true;
    thread_.join();
  }
  ULONGLONG GoneAt() const { return goneAt_; }

 private:
  std::string key_;
  std::atomic<bool> stop_{false};
  std::atomic<ULONGLONG> goneAt_{0};
  std::thread thread_;
};

bool PreviousVersionGone() { return !FileExists(kPrevious + "VZ95.EXE") && !FileExists(kPrevious + "VZ.INX"); }

class InstalledHere : public PhasesMachine {
 protected:
  static WindowSpec Question() {
    return MessageBox("Velzor already installed").WithText(kQuestionText).WithIcon("information").WithButtons(
        "Cancel|Yes|No");
  }
  // A source folder kept from an earlier restart, which every answer forgets.
  static void RecordEarlierSetupDrive() {
    SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv", "A:\\");
  }
};

// --- The answer kept before a restart ------------------------------------------------

struct KeptCase {
  const char* name;
  const char* uninstPrevVer;
  bool removed;  // the previous version's uninstaller ran and removed it
};

void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.name; }

class KeptAnswer : public InstalledHere, public ::testing::WithParamInterface<KeptCase> {};

// No warning, no scan, no question: the kept answer is acted on, and the
// records that carried it across the restart are gone.
TEST_P(KeptAnswer, IsActedOnWithoutAsking) {
  const auto& c = GetParam();
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall", "1");
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer", c.uninstPrevVer);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv", Source());
  OuterSetupWindow setup;
  Robot user;  // no window at all
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  for (const char* value : {"CalledFromInstall", "UninstPrevVer", "SetupDrv"})
    EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, value), "(none)") << value;
  EXPECT_EQ(PreviousVersionGone(), c.removed);
  // Keeping the previous version drops its version key; removing it leaves that to its uninstaller.
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionKey));
}

INSTANTIATE_TEST_SUITE_P(Phases, KeptAnswer,
                         ::testing::Values(KeptCase{"NoKeepsThePreviousVersion", "0", false},
                                           KeptCase{"YesRemovesIt", "1", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The uninstaller's request -------------------------------------------------------

// "CalledFromUninst" alone: the warning and the scan, then the removal
// without a question; nothing kept for a restart.
TEST_F(InstalledHere, CalledFromTheUninstallerRemovesWithoutAsking) {
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromUninst", "1");
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_FALSE(user.Saw("Velzor already installed"));
  EXPECT_TRUE(PreviousVersionGone());
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall"), "(none)");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer"), "(none)");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromUninst"), "1") << "the helper never removes it";
}

// --- Recorded on both systems --------------------------------------------------------

TEST_F(InstalledHere, RecordedOnBothSystemsIsRefusedBeforeAnyQuestion) {
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  RecordSystem("Windows NT", OwnWindows(), kOldVersion);
  RecordSystem("Windows 95", kOtherWindows, kOldVersion);
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(MessageBox("Aborting Setup").WithText(kMoreThanOneText).WithIcon("information").WithButtons("OK"))
      .Answer(IDOK);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden closed");
  EXPECT_FALSE(user.Saw("Velzor already installed"));
  EXPECT_FALSE(PreviousVersionGone());
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer"), "(none)");
}

// --- The user's answer ---------------------------------------------------------------

struct AnswerCase {
  const char* name;
  int answer;
  const char* events;        // what the outer setup's window saw
  const char* uninstPrevVer;  // kept for a restart
  bool removed;              // VZ95.EXE and VZ.INX gone
  bool oldKeyKept;           // the previous version's key
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class UserAnswer : public InstalledHere, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UserAnswer, IsKeptAndActedOn) {
  const auto& c = GetParam();
  auto machine = Machine(Os::Windows95);
  InstallPreviousVersion(true);
  RecordEarlierSetupDrive();
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(Question()).Answer(c.answer);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), c.events);
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer"), c.uninstPrevVer);
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv"), "(none)");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall"), "(none)");
  EXPECT_EQ(PreviousVersionGone(), c.removed);
  EXPECT_EQ(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionKey), c.oldKeyKept);
}

INSTANTIATE_TEST_SUITE_P(
    Phases, UserAnswer,
    ::testing::Values(AnswerCase{"YesRemovesThePreviousVersion", IDYES, "hidden shown foreground", "1", true, false},
                      AnswerCase{"CancelStopsTheInstallation", IDCANCEL, "hidden closed", "0", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The previous version's uninstaller cannot remove VZ95.EXE (it is in use):
// the installation stops, and the flag set while the uninstaller ran is gone.
TEST_F(InstalledHere, YesWithThePreviousVersionLeftBehindStops) {
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  FileLock inUse(kPrevious + "VZ95.EXE");
  ASSERT_TRUE(inUse.held());
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(Question()).Answer(IDYES);
  user.Expect(MessageBox("Velzor Setup").WithText(kNotUninstalledText).WithIcon("exclamation").WithButtons("OK"))
      .Answer(IDOK);
  machine.RunHelper(InitSetup(), user, {.timeoutMs = 30000});
  EXPECT_EQ(setup.Events(), "hidden closed");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "CalledFromInstall"), "(none)");
  EXPECT_TRUE(FileExists(kPrevious + "VZ95.EXE"));
  EXPECT_FALSE(FileExists(kPrevious + "VZ.INX")) << "the uninstaller ran, as setup's (it asked nothing)";
}

// No: the product's programs are closed, and one second later the previous
// version's files are re-dated (where the platform takes the date) and its
// version key is deleted; the installation goes ahead over it.
TEST_F(InstalledHere, NoKeepsThePreviousVersionAndDropsItsKeyAfterASecond) {
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true);
  RecordEarlierSetupDrive();
  FILETIME before{};
  {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA((kPrevious + "VZ32.EXE").c_str(), GetFileExInfoStandard, &data);
    before = data.ftLastWriteTime;
  }
  HANDLE toolbar = StartProgram(TestMachine::MediaFolder() + "TOOLBAR.EXE", "");
  ASSERT_TRUE(toolbar);
  for (int waited = 0; !FindWindowA(nullptr, "Velzor ToolBar") && waited < 10000; waited += 50) Sleep(50);

  KeyWatch oldKey(kOldVersionKey);
  std::atomic<ULONGLONG> answeredAt{0};
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(Question()).Do([&](HWND, Robot&) { answeredAt = GetTickCount64(); }, "note the time").Answer(IDNO);
  machine.RunHelper(InitSetup(), user);

  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_EQ(WaitForSingleObject(toolbar, 5000), WAIT_OBJECT_0) << "the tool bar was not closed";
  CloseHandle(toolbar);
  ASSERT_NE(oldKey.GoneAt(), 0u) << "the previous version's key stays";
  EXPECT_GE(oldKey.GoneAt() - answeredAt, 950u) << "deleted without the wait";
  EXPECT_FALSE(PreviousVersionGone());
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "UninstPrevVer"), "0");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "SetupDrv"), "(none)");

  // Re-dated to the DOS date 9 with its own time of day where the platform converts that date.
  WORD dosDate, dosTime;
  FILETIME expected = before;
  if (FileTimeToDosDateTime(&before, &dosDate, &dosTime)) DosDateTimeToFileTime(9, dosTime, &expected);
  WIN32_FILE_ATTRIBUTE_DATA after{};
  GetFileAttributesExA((kPrevious + "VZ32.EXE").c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &expected), 0);
}

// "LastVerInstalled" naming the version being installed: that key is this
// installation's own and stays.
TEST_F(InstalledHere, NoNeverDropsTheKeyOfTheVersionBeingInstalled) {
  auto machine = Machine(Os::WindowsNT);
  InstallPreviousVersion(true, kVersion);
  SetRegText(HKEY_LOCAL_MACHINE, kVersionKey, "Company", "Orvanto Users Ltd");
  OuterSetupWindow setup;
  Robot user;
  ExpectWarningAndScan(user);
  user.Expect(Question()).Answer(IDNO);
  machine.RunHelper(InitSetup(), user);
  EXPECT_EQ(setup.Events(), "hidden shown foreground");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kVersionKey, "Company"), "Orvanto Users Ltd");
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionKey)) << "no other version key is touched";
}

}  // namespace
