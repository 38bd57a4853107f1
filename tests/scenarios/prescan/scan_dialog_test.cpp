// The pre-install scan as the user sees it: the scan progress dialog run by
// vzops.exe as the pre-install phase opens it, scanning this machine's real
// Windows folder with the case index (scan_cases.ndb) beside the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine.h"
#include "outer_setup_window.h"
#include "robot.h"
#include "scan_case.h"
#include "virus_samples.h"

using namespace bench;
using namespace scan;

namespace {

std::optional<std::string> VirusValue() { return RegText(HKEY_CURRENT_USER, kVirusValueKey, kVirusValue); }

void PresetVirusValue(const char* preset) {
  if (preset)
    SetRegText(HKEY_CURRENT_USER, kVirusValueKey, kVirusValue, preset);
  else
    DeleteRegValue(HKEY_CURRENT_USER, kVirusValueKey, kVirusValue);
}

// The texts of the "Virus Found" messages the user saw, sorted.
std::vector<std::string> VirusMessagesSeen(const Robot& user) {
  std::vector<std::string> texts;
  for (const auto& w : user.Seen())
    if (w.caption == "Virus Found") texts.push_back(w.text);
  std::sort(texts.begin(), texts.end());
  return texts;
}

void ExpectVirusMessages(Robot& user, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    user.Expect(MessageBox("Virus Found").WithIcon("exclamation").WithButtons("OK")).Answer(IDOK);
}

// True when `states` shows each of `wanted` in this order (others between).
bool Closed(const OuterSetupWindow& setup) { return setup.Events().find("closed") != std::string::npos; }

bool ShowsInOrder(const std::vector<std::string>& states, const std::vector<std::string>& wanted) {
  auto at = states.begin();
  for (const auto& w : wanted) {
    at = std::find(at, states.end(), w);
    if (at == states.end()) return false;
    ++at;
  }
  return true;
}

std::string Describe(const std::vector<std::string>& states) {
  std::string out;
  for (const auto& s : states) out += "[" + s + "] ";
  return out;
}

// A COM program whose first instruction jumps to `start`.
std::string ComJumpingTo(std::uint16_t start, std::size_t size) {
  std::string data = Filler(size, start);
  data[0] = '\xE9';
  Put16(data, 1, static_cast<std::uint16_t>(start - 3));
  return data;
}

constexpr char kTemplateState[] = "running waiting waiting";
constexpr char kBootRecordState[] = "done running waiting";
constexpr char kSystemFilesState[] = "done done running";

// --- A clean system ------------------------------------------------------------------

class CleanSystem : public ::testing::TestWithParam<const char*> {};

// On Windows NT, without a memory scan library: stage 1 loads nothing and
// shows nothing, the system files are scanned and the record is deleted.
// Esc pressed at the dialog has no effect.
TEST_P(CleanSystem, DeletesTheVirusRecordOnWindowsNtWithoutAMemoryScan) {
  TestMachine::ClearProductRecords();
  PresetVirusValue(GetParam());
  ScanCase scanCase("clean");
  scanCase.WithIndex(CaseIndex());
  OuterSetupWindow setup;
  StageWatcher stages;
  Robot user;
  user.Expect(Dialog(kDialogCaption)).PressEsc();
  auto run = scanCase.Run(Os::WindowsNT, user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(VirusValue().has_value());
  EXPECT_FALSE(Closed(setup)) << setup.Events();
  // The memory icon goes from its template state straight to done.
  auto states = stages.States();
  auto bootRecord = std::find(states.begin(), states.end(), kBootRecordState);
  EXPECT_NE(bootRecord, states.end()) << Describe(states);
  EXPECT_EQ(std::find(bootRecord, states.end(), kTemplateState), states.end()) << Describe(states);
}

INSTANTIATE_TEST_SUITE_P(Preset, CleanSystem, ::testing::Values(nullptr, "1", "0"),
                         [](const auto& info) { return std::string(info.param ? info.param : "none"); });

// --- One infected file ---------------------------------------------------------------

TEST(InfectedSystem, OneFileInSystemGivesOneMessageAndTheRecord) {
  TestMachine::ClearProductRecords();
  PlantedFile infected(TestMachine::WindowsFolder() + "SYSTEM\\vzcase1.com", Filler(3000) + kOneHalfEnd);
  ScanCase scanCase("infected", MemoryLibrary::Real);
  scanCase.WithIndex(CaseIndex());
  OuterSetupWindow setup;
  StageWatcher stages;
  Robot user;
  const std::string shown = ShownPath("SYSTEM\\vzcase1.com");
  WindowSeen dialog;
  std::string iconsDuringMessage;
  user.Expect(Dialog(kDialogCaption));
  user.Expect(MessageBox("Virus Found").WithText(VirusMessage("OneHalf", shown)).WithIcon("exclamation").WithButtons("OK"))
      .Do(
          [&](HWND box, Robot&) {
            MoveAside(box);
            HWND d = FindWindowA("#32770", kDialogCaption);
            dialog = Robot::Look(d);
            iconsDuringMessage = stages.Read(d);
          },
          "look at the scan dialog")
      .Answer(IDOK);
  auto run = scanCase.Run(Os::Windows95, user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(VirusValue().value_or("(none)"), "1");
  EXPECT_EQ(user.CountSeen("Virus Found"), 1);
  EXPECT_EQ(user.Find("Virus Found").owner, "\"Pre-Install Virus Scan\"");
  EXPECT_FALSE(Closed(setup)) << setup.Events();

  // The dialog while the message was shown: stage 3, the file on the current-file line.
  EXPECT_EQ(iconsDuringMessage, kSystemFilesState);
  ASSERT_NE(dialog.Control(1015), nullptr) << dialog.Describe();
  EXPECT_TRUE(dialog.Control(1015)->visible);
  EXPECT_EQ(dialog.Control(1015)->text, shown);
  EXPECT_FALSE(dialog.HasCloseBox());
  int centreX = (dialog.rect.left + dialog.rect.right) / 2, centreY = (dialog.rect.top + dialog.rect.bottom) / 2;
  EXPECT_LE(std::abs(centreX - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs(centreY - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  std::vector<std::string> texts;
  for (const auto& c : dialog.controls)
    if (c.id == -1 || c.id == 0xFFFF) texts.push_back(c.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Velzor Setup is now scanning system areas for viruses.", "Scanning memory",
                                             "Scanning master boot record", "Scanning system files"}));

  // Windows 95: the memory stage, then the boot record, then the system files.
  EXPECT_TRUE(ShowsInOrder(stages.States(), {kTemplateState, kBootRecordState, kSystemFilesState}))
      << Describe(stages.States());
}

TEST(InfectedSystem, ACommandInterpreterInsideTheWindowsFolderIsScannedTwice) {
  TestMachine::ClearProductRecords();
  std::string path = TestMachine::WindowsFolder() + "vzcmd.com";
  PlantedFile infected(path, Filler(2000) + kOneHalfEnd);
  ScopedEnvironment comspec("COMSPEC", path.c_str());
  ScanCase scanCase("comspec");
  scanCase.WithIndex(CaseIndex());
  Robot user;
  user.Expect(Dialog(kDialogCaption));
  ExpectVirusMessages(user, 2);
  scanCase.Run(Os::WindowsNT, user);
  std::string message = VirusMessage("OneHalf", ShownPath("vzcmd.com"));
  EXPECT_EQ(VirusMessagesSeen(user), (std::vector<std::string>{message, message}));
  EXPECT_EQ(VirusValue().value_or("(none)"), "1");
}

// Without COMSPEC there is no command interpreter to scan; one longer than a
// path buffer is not scanned under its first 259 characters (which here name
// an infected file). The folders are scanned all the same.
TEST(CommandInterpreter, UnsetOrTooLongIsSkipped) {
  const std::string cut = "C:\\VZSCAN\\" + std::string(259 - 10 - 6, 'L') + "\\X.COM";
  ASSERT_EQ(cut.size(), 259u);
  PlantedFile cutName(cut, Filler(2000) + kOneHalfEnd);
  const std::string tooLong = cut + "M";
  for (const char* comspec : {static_cast<const char*>(nullptr), tooLong.c_str()}) {
    TestMachine::ClearProductRecords();
    PresetVirusValue("1");
    ScopedEnvironment environment("COMSPEC", comspec);
    ScanCase scanCase("comspec");
    scanCase.WithIndex(CaseIndex());
    Robot user;
    user.Expect(Dialog(kDialogCaption));
    auto run = scanCase.Run(Os::WindowsNT, user);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(user.CountSeen("Virus Found"), 0) << (comspec ? "too long" : "unset");
    EXPECT_FALSE(VirusValue().has_value()) << "the folders were scanned";
  }
}

TEST(InfectedSystem, OnlyExecutableNamesDirectlyInTheThreeFoldersAreScanned) {
  struct Name {
    const char* relative;  // to the Windows folder
    bool scanned;
  };
  const Name names[] = {
      {"vzcase.exe", true},         {"VZCASE2.EXE", true},         {".exe", true},
      {"VzCase3.Dll", true},        {"vzcase4.drv", true},         {"vzcase5.ovr", true},
      {"vzcase6.ovl", true},        {"vzcase7.sys", true},         {"vzcase8.com", true},
      {"SYSTEM\\vzcase9.exe", true}, {"COMMAND\\vzcase10.com", true},
      {"VZCASE.EX", false},         {"VZCASE.EXE.BAK", false},     {"VZCASE.EXEC", false},
      {"VZCASE", false},            {"VZCASE.VXD", false},         {"VZCASE.BAT", false},
      {"vzsub\\vzdeep.exe", false}, {"SYSTEM\\vzsub\\vzdeep.exe", false}, {"COMMAND\\vzsub\\vzdeep.com", false},
  };
  TestMachine::ClearProductRecords();
  std::vector<std::unique_ptr<PlantedFile>> planted;
  std::vector<std::string> expected;
  std::uint32_t seed = 1;
  for (const auto& n : names) {
    std::string path = TestMachine::WindowsFolder() + n.relative;
    planted.push_back(std::make_unique<PlantedFile>(path, Filler(700, seed) + kFileMark + Filler(50, seed + 1)));
    seed += 2;
    if (n.scanned) expected.push_back(VirusMessage("Case.Marker", ShownPath(n.relative)));
  }
  // Folders the case made go after the files in them.
  std::reverse(planted.begin(), planted.end());
  std::sort(expected.begin(), expected.end());

  ScanCase scanCase("names");
  scanCase.WithIndex(CaseIndex());
  Robot user;
  user.Expect(Dialog(kDialogCaption));
  ExpectVirusMessages(user, expected.size());
  scanCase.Run(Os::WindowsNT, user);
  EXPECT_EQ(VirusMessagesSeen(user), expected);
}

// Executables (PE, NE) never get the top scan; other files get the bottom
// scan first when their start lies at 2000 or later, the top scan first
// otherwise; the first finding ends a file's scan. Bottom, PE and
// polymorphic findings with ids of the helper's tables take the table's
// name, everything else the index's.
TEST(InfectedSystem, ScanOrderAndVirusNames) {
  TestMachine::ClearProductRecords();
  std::string index = CaseIndex();
  SetRecord(index, 0, 20, "IndexNatas");  // the top signature of id 20
  SetRecord(index, 2, 20, "IndexNatas");  // the polymorphic one of id 20
  SetRecord(index, 4, 2035, "Beyond.One");
  SetRecord(index, 5, 8001, "Beyond.Two");
  std::string system = TestMachine::WindowsFolder() + "SYSTEM\\";
  auto bothMarkers = [](std::string data) { return Place(data, kTopNatasAt, kTopNatas) + Filler(100) + kOneHalfEnd; };
  struct Sample {
    const char* name;
    std::string bytes;
    const char* virus;  // nullptr: not found
  };
  const Sample samples[] = {
      {"vzord1.com", bothMarkers(ComJumpingTo(103, 3000)), "IndexNatas"},
      {"vzord2.com", bothMarkers(ComJumpingTo(2003, 3000)), "OneHalf"},
      {"vzord3.exe", bothMarkers(SamplePe()), "OneHalf"},
      {"vzord4.exe", Place(SamplePe(), kTopNatasAt, kTopNatas), nullptr},
      {"vzord5.ovl", Filler(900) + kPolyNatas, "Natas"},
      {"vzord6.exe", Place(SamplePe(), 0x410, kPeEntry), "Cabanas"},
      {"vzord7.drv", Filler(900) + kBeyondOne, "Beyond.One"},
      {"vzord8.sys", Filler(900) + kBeyondTwo, "Beyond.Two"},
  };
  std::vector<std::unique_ptr<PlantedFile>> planted;
  std::vector<std::string> expected;
  for (const auto& s : samples) {
    planted.push_back(std::make_unique<PlantedFile>(system + s.name, s.bytes));
    if (s.virus) expected.push_back(VirusMessage(s.virus, ShownPath(std::string("SYSTEM\\") + s.name)));
  }
  std::reverse(planted.begin(), planted.end());
  std::sort(expected.begin(), expected.end());

  ScanCase scanCase("order");
  scanCase.WithIndex(index);
  Robot user;
  user.Expect(Dialog(kDialogCaption));
  ExpectVirusMessages(user, expected.size());
  scanCase.Run(Os::WindowsNT, user);
  EXPECT_EQ(VirusMessagesSeen(user), expected);
}

// --- No signature index --------------------------------------------------------------------

class NoIndex : public ::testing::TestWithParam<const char*> {};

TEST_P(NoIndex, ScansNothingAndLeavesTheRecord) {
  TestMachine::ClearProductRecords();
  PresetVirusValue(GetParam());
  PlantedFile infected(TestMachine::WindowsFolder() + "SYSTEM\\vzcase1.com", Filler(3000) + kOneHalfEnd);
  ScanCase scanCase("noindex");
  OuterSetupWindow setup;
  Robot user;
  user.Expect(Dialog(kDialogCaption));
  auto run = scanCase.Run(Os::WindowsNT, user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(user.CountSeen("Virus Found"), 0);
  EXPECT_EQ(VirusValue(), GetParam() ? std::optional<std::string>(GetParam()) : std::nullopt);
  EXPECT_FALSE(Closed(setup)) << setup.Events();
}

INSTANTIATE_TEST_SUITE_P(Preset, NoIndex, ::testing::Values(nullptr, "1"),
                         [](const auto& info) { return std::string(info.param ? info.param : "none"); });

// --- The memory stage ----------------------------------------------------------------------

struct MemoryCase {
  const char* name;
  Os os;
  MemoryLibrary library;
  bool activeVirus;
  const char* caption;  // the message shown, nullptr for none
  const char* text;     // its whole text; nullptr: see `contains`
  std::vector<std::string> contains;
  const char* icon;
  bool abandoned;
};

void PrintTo(const MemoryCase& c, std::ostream* os) { *os << c.name; }

class MemoryStage : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryStage, GoesOnOrAbandonsTheInstallation) {
  const MemoryCase& c = GetParam();
  TestMachine::ClearProductRecords();
  PresetVirusValue("1");
  std::optional<ActiveMemoryVirus> virus;
  if (c.activeVirus) {
    virus.emplace();
    ASSERT_TRUE(virus->Ready());
  }
  ScanCase scanCase(c.name, c.library);
  scanCase.WithIndex(CaseIndex());
  OuterSetupWindow setup;
  StageWatcher stages;
  Robot user;
  WindowSeen dialog;
  user.Expect(Dialog(kDialogCaption));
  if (c.caption) {
    auto wanted = MessageBox(c.caption).WithIcon(c.icon).WithButtons("OK");
    if (c.text) wanted.WithText(c.text);
    for (const auto& part : c.contains) wanted.Containing(part);
    user.Expect(wanted)
        .Do([&](HWND, Robot&) { dialog = Robot::Look(FindWindowA("#32770", kDialogCaption)); }, "look at the scan dialog")
        .Answer(IDOK);
  }
  auto run = scanCase.Run(c.os, user);
  EXPECT_EQ(run.exitCode, 0u);
  if (c.abandoned) {
    EXPECT_TRUE(Closed(setup)) << setup.Events();
    EXPECT_EQ(VirusValue().value_or("(none)"), "1") << "the record is left as it was";
    for (const auto& s : stages.States()) EXPECT_EQ(s.find("done"), std::string::npos) << "no later stage ran: " << s;
    if (c.caption) {
      EXPECT_EQ(user.Find(c.caption).owner, "\"Pre-Install Virus Scan\"");
      ASSERT_NE(dialog.Control(1015), nullptr);
      EXPECT_FALSE(dialog.Control(1015)->visible);
      EXPECT_EQ(dialog.Control(1015)->text, "E:\\WIN95\\COMMAND.COM") << "the template's text";
    }
  } else {
    EXPECT_FALSE(Closed(setup)) << setup.Events();
    EXPECT_FALSE(VirusValue().has_value()) << "the clean system files were scanned";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryStage,
    ::testing::Values(
        MemoryCase{"NtNeedsNoLibrary", Os::WindowsNT, MemoryLibrary::None, false, nullptr, nullptr, {}, "", false},
        MemoryCase{"NtIgnoresAnActiveVirus", Os::WindowsNT, MemoryLibrary::Real, true, nullptr, nullptr, {}, "", false},
        MemoryCase{"Win95CleanMemory", Os::Windows95, MemoryLibrary::Real, false, nullptr, nullptr, {}, "", false},
        MemoryCase{"Win95WithoutTheLibrary", Os::Windows95, MemoryLibrary::None, false, "Error",
                   "Couldnot load VZMSI32.DLL.\nAborting...", {}, "none", true},
        MemoryCase{"Win95WithACorruptLibrary", Os::Windows95, MemoryLibrary::Corrupt, false, "Error",
                   "VZMSI32.DLL is corrupt.\nCannot proceed...", {}, "none", true},
        MemoryCase{"Win95WithAnActiveVirus", Os::Windows95, MemoryLibrary::Real, true, "Virus Found in Memory", nullptr,
                   {"Resident.Test", "memory_marker.exe", "Setup cannot safely install"}, "error", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
