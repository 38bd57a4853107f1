// Word macro protection: where Word is found, the Word 97 template route,
// the document route with Word's own windows, the backup of the global
// template with DOTBK.EXE entered to start with Windows, and DOTBK.EXE at work.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "machine.h"
#include "outer_setup_window.h"
#include "robot.h"

using namespace bench;

namespace {

const std::string kRoot = "C:\\WT\\";
const std::string kInstall = "C:\\WT\\VELZOR\\";
const std::string kOffice = "C:\\WT\\MSOFFICE\\";
const std::string kWord = "C:\\WT\\MSOFFICE\\WINWORD\\";
const std::string kTemplates = "C:\\WT\\MSOFFICE\\TEMPLATES";
const std::string kTemplate = "C:\\WT\\MSOFFICE\\WINWORD\\TEMPLATE";
const std::string kLog = kWord + "winword.log";
const std::string kResult = "C:\\WT\\result.txt";
const char kExtensionsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const char kWord97Key[] = "SOFTWARE\\Microsoft\\Office\\8.0\\Word";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Media(const char* name) { return ReadFileBytes(TestMachine::MediaFolder() + name).value_or("(missing)"); }

std::string IniValue(const std::string& file, const char* section, const char* key) {
  char value[512] = "";
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, file.c_str());
  return value;
}

// A machine with the product installed and a Word whose program file is the
// stand-in; no Word records until a case sets them.
class WordMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMachine::ClearProductRecords();
    ForgetWord();
    RemoveTree(kRoot);
    MakeFolders(kInstall);
    for (const char* name : {"VZFW.DOC", "VZFW97.MAL", "DOTBK.EXE"})
      WriteFileBytes(kInstall + name, Media(name));
    MakeFolders(kWord);
    CopyFileA((TestMachine::BinFolder() + "word_standin.exe").c_str(), (kWord + "winword.exe").c_str(), FALSE);
  }
  void TearDown() override {
    ForgetWord();
    TestMachine::ClearProductRecords();
  }
  static void ForgetWord() {
    DeleteRegValue(HKEY_CURRENT_USER, kExtensionsKey, "doc");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0");
    WriteProfileStringA("embedding", "WordDocument", nullptr);
  }

  static void RegisterWord(const std::string& docValue = kWord + "WINWORD.EXE ^.doc") {
    SetRegText(HKEY_CURRENT_USER, kExtensionsKey, "doc", docValue);
  }
  static void MakeWord97() { SetRegText(HKEY_LOCAL_MACHINE, kWord97Key, "", ""); }
  static void ConfigureWord(const std::string& lines) { WriteFileBytes(kWord + "winword.ini", "[Word]\r\n" + lines); }

  static RunResult Install(Robot& user, const std::string& options = "") {
    return RunProgram(TestMachine::BinFolder() + "vzops.exe",
                      "--install " + kInstall + " InstallWordProtection " + options, user);
  }

  // The events of the Word stand-in, one a line.
  static std::vector<std::string> WordEvents() {
    std::vector<std::string> lines;
    std::string log = ReadFileBytes(kLog).value_or("");
    for (size_t start = 0; start < log.size();) {
      size_t end = log.find("\r\n", start);
      if (end == std::string::npos) end = log.size();
      lines.push_back(log.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  static void WaitForWordToEnd() {
    for (int i = 0; i < 200 && ReadFileBytes(kLog).value_or("").find("ended") == std::string::npos; ++i) Sleep(25);
  }

  static std::optional<std::string> RunValue() { return RegText(HKEY_LOCAL_MACHINE, kRunKey, "VZFW"); }
  static std::string DotbkShortPath() { return ShortPath(kInstall + "DOTBK.EXE"); }
};

// --- Where Word is --------------------------------------------------------------------

struct LocateCase {
  const char* name;
  const char* docValue;        // registry "doc" value, nullptr: none
  const char* embedding;       // WIN.INI [embedding] WordDocument, nullptr: none
  const char* operation;
  int result;
  const char* buffer;          // what the operation leaves in its buffer
};

void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

class LocateWord : public WordMachine, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(LocateWord, FromTheRegistryOrWinIni) {
  const auto& c = GetParam();
  if (c.docValue) RegisterWord(c.docValue);
  if (c.embedding) WriteProfileStringA("embedding", "WordDocument", c.embedding);
  Robot user;
  auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe", std::string(c.operation) + " " + kResult, user);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(c.result));
  EXPECT_EQ(ReadFileBytes(kResult).value_or(""), c.buffer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocateWord,
    ::testing::Values(
        LocateCase{"RegistryFolder", "C:\\WT\\MSOFFICE\\WINWORD\\WINWORD.EXE ^.doc", nullptr, "LocateWordFolder", 1,
                   "C:\\WT\\MSOFFICE\\WINWORD\\"},
        LocateCase{"RegistryProgram", "C:\\WT\\MSOFFICE\\WINWORD\\WINWORD.EXE ^.doc", nullptr, "LocateWordProgram", 1,
                   "C:\\WT\\MSOFFICE\\WINWORD\\winword.exe"},
        LocateCase{"RegistryBeforeWinIni", "C:\\WT\\A\\WINWORD.EXE", "Word,Word,C:\\WT\\B\\WINWORD.EXE,picture",
                   "LocateWordFolder", 1, "C:\\WT\\A\\"},
        LocateCase{"WinIniFallback", nullptr, "Microsoft Word Document,Microsoft Word Document,C:\\WT\\WINWORD\\WINWORD.EXE,picture",
                   "LocateWordProgram", 1, "C:\\WT\\WINWORD\\winword.exe"},
        LocateCase{"WinIniEmpty", nullptr, "", "LocateWordProgram", 0, "(untouched)"},
        LocateCase{"NothingAtAll", nullptr, nullptr, "LocateWordFolder", 0, "(untouched)"},
        LocateCase{"WinIniWithoutComma", nullptr, "Word,Word,C:\\WT\\WINWORD\\WINWORD.EXE", "LocateWordFolder", 0,
                   "(untouched)"},
        LocateCase{"RegistryWithoutBackslash", "WINWORD.EXE", nullptr, "LocateWordProgram", 0, "(untouched)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WordMachine, TemplatesBesideWordsFolderArePreferredToTemplateInsideIt) {
  RegisterWord();
  Robot user;
  auto locate = [&] {
    DeleteFileA(kResult.c_str());
    auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe", "LocateWordTemplates " + kResult, user);
    return std::pair{run.exitCode, ReadFileBytes(kResult).value_or("")};
  };
  EXPECT_EQ(locate(), std::pair(0ul, std::string("(untouched)")));
  MakeFolders(kTemplate + "\\");
  EXPECT_EQ(locate(), std::pair(1ul, ShortPath(kTemplate) + "\\"));
  MakeFolders(kTemplates + "\\");
  EXPECT_EQ(locate(), std::pair(1ul, ShortPath(kTemplates) + "\\"));
  EXPECT_NE(ShortPath(kTemplates), kTemplates) << "TEMPLATES is no 8.3 name: its short form is what is kept";
}

// --- Word 97: the template route ----------------------------------------------------

TEST_F(WordMachine, Word97GetsTheProtectionTemplateWithoutStartingWord) {
  RegisterWord();
  MakeWord97();
  MakeFolders(kTemplates + "\\");
  WriteFileBytes(kWord + "NORMAL.DOT", "Word folder's own template");
  WriteFileBytes(kTemplates + "\\NORMAL.DOT", "the user's global template");
  Robot user;  // nothing to see
  auto run = Install(user);
  EXPECT_EQ(run.exitCode, 1u);

  std::string templates = ShortPath(kTemplates) + "\\";
  EXPECT_EQ(ReadFileBytes(kWord + "NORMAL.ORG").value_or(""), "Word folder's own template");
  EXPECT_FALSE(FileExists(kWord + "NORMAL.DOT"));
  EXPECT_EQ(ReadFileBytes(templates + "NORMAL.ORG").value_or(""), "the user's global template");
  EXPECT_EQ(ReadFileBytes(templates + "NORMAL.DOT").value_or(""), Media("VZFW97.MAL"));
  EXPECT_EQ(ReadFileBytes(kInstall + "VZNORM.QOT").value_or(""), Media("VZFW97.MAL"));
  EXPECT_EQ(IniValue(kInstall + "VZFW.INI", "WORD", "Global Template"), templates + "NORMAL.DOT");
  EXPECT_EQ(RunValue(), DotbkShortPath());
  EXPECT_FALSE(FileExists(kLog)) << "Word was started";
  EXPECT_TRUE(user.Seen().empty());

  // A second installation keeps what was set aside the first time.
  Robot again;
  Install(again);
  EXPECT_EQ(ReadFileBytes(kWord + "NORMAL.ORG").value_or(""), "Word folder's own template");
  EXPECT_EQ(ReadFileBytes(templates + "NORMAL.ORG").value_or(""), "the user's global template");
  EXPECT_EQ(ReadFileBytes(templates + "NORMAL.DOT").value_or(""), Media("VZFW97.MAL"));
  EXPECT_FALSE(FileExists(kLog));
}

// Without a templates folder Word's own folder holds the global template:
// the protection template goes there, and nothing lands anywhere else.
TEST_F(WordMachine, Word97WithoutATemplatesFolderUsesWordsOwnFolder) {
  RegisterWord();
  MakeWord97();
  WriteFileBytes(kWord + "NORMAL.DOT", "Word folder's own template");
  Robot user;
  auto run = RunProgram(TestMachine::BinFolder() + "vzops.exe",
                        "--install " + kInstall + " InstallWordProtection", user, {.workingFolder = kRoot});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(ReadFileBytes(kWord + "NORMAL.ORG").value_or(""), "Word folder's own template");
  EXPECT_EQ(ReadFileBytes(kWord + "NORMAL.DOT").value_or(""), Media("VZFW97.MAL"));
  EXPECT_FALSE(FileExists(kRoot + "NORMAL.DOT")) << "written into the current directory";
  EXPECT_EQ(IniValue(kInstall + "VZFW.INI", "WORD", "Global Template"), kWord + "NORMAL.DOT");
  EXPECT_EQ(RunValue(), DotbkShortPath());
}

// --- Other Word: the document route -------------------------------------------------

struct DocumentCase {
  const char* name;
  const char* wordOptions;  // winword.ini lines
};

void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }

class DocumentRoute : public WordMachine, public ::testing::WithParamInterface<DocumentCase> {};

TEST_P(DocumentRoute, WordRunsTheDocumentAndIsClosedAfterItsSignal) {
  RegisterWord();
  MakeFolders(kTemplates + "\\");  // without NORMAL.DOT: Word's own one is backed up
  WriteFileBytes(kWord + "NORMAL.DOT", "Word's global template");
  ConfigureWord(GetParam().wordOptions);
  SetFileAttributesA((kInstall + "VZFW.DOC").c_str(), FILE_ATTRIBUTE_READONLY);
  // Windows of other programs: one names Word but not the document, one the reverse.
  OuterSetupWindow wordList("Word list of the week");
  OuterSetupWindow readme("VZFW read me");
  Robot user;
  user.Expect(MessageBox("VZFW Installation Over").FromAnyProcess()).Wait(400).Answer(IDOK);
  auto run = Install(user);
  EXPECT_EQ(run.exitCode, 1u);
  WaitForWordToEnd();

  std::vector<std::string> expected = {"started " + kInstall + "VZFW.DOC /m /w", "document found"};
  if (std::string(GetParam().wordOptions).find("Tip=1") != std::string::npos) expected.push_back("tip shown");
  expected.insert(expected.end(), {"completion shown", "completion dismissed"});
  if (std::string(GetParam().wordOptions).find("Tip=1") != std::string::npos) expected.push_back("tip closed");
  expected.insert(expected.end(), {"main closed", "ended"});
  EXPECT_EQ(WordEvents(), expected);
  // They may come to the foreground when Word's window goes; they are not closed.
  EXPECT_TRUE(wordList.Exists());
  EXPECT_EQ(wordList.Events().find("closed"), std::string::npos) << wordList.Events();
  EXPECT_TRUE(readme.Exists());
  EXPECT_EQ(readme.Events().find("closed"), std::string::npos) << readme.Events();
  EXPECT_FALSE(GetFileAttributesA((kInstall + "VZFW.DOC").c_str()) & FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(ReadFileBytes(kInstall + "VZNORM.QOT").value_or(""), "Word's global template");
  EXPECT_EQ(IniValue(kInstall + "VZFW.INI", "WORD", "Global Template"), kWord + "NORMAL.DOT");
  EXPECT_EQ(RunValue(), DotbkShortPath());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentRoute,
    ::testing::Values(DocumentCase{"TipOfTheDay", "Tip=1\r\nDelayMs=700\r\n"},
                      DocumentCase{"MixedCaseTitle", "Title=microsoft WORD - vzfw.DOC\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WordMachine, WordThatNeverSignalsIsGivenUpWithAMessage) {
  RegisterWord();
  WriteFileBytes(kWord + "NORMAL.DOT", "Word's global template");
  ConfigureWord("Completion=0\r\n");
  Robot user;
  user.Expect(MessageBox("Word Macro Virus Protection")
                  .Containing("did not finish installing")
                  .Containing(kInstall + "VZFW.DOC")
                  .WithIcon("exclamation")
                  .WithButtons("OK"))
      .Answer(IDOK);
  auto run = Install(user, "wait-limit=1500");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(RunValue().has_value());
  EXPECT_FALSE(FileExists(kInstall + "VZNORM.QOT"));
  auto events = WordEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), "main closed"), 0) << "Word is left to the user";
  if (HWND word = FindWindowA("OpusApp", nullptr)) PostMessageA(word, WM_CLOSE, 0, 0);
  WaitForWordToEnd();
}

TEST_F(WordMachine, WithoutTheProtectionDocumentNothingIsStarted) {
  RegisterWord();
  DeleteFileA((kInstall + "VZFW.DOC").c_str());
  Robot user;
  user.Expect(MessageBox("Setup Error")
                  .WithText("Could not locate VZFW.DOC.\n\nUnable to install Word macro virus solution.")
                  .WithIcon("information")
                  .WithButtons("OK")
                  .FromAnyProcess())
      .Answer(IDOK);
  auto run = Install(user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(FileExists(kLog));
  EXPECT_FALSE(RunValue().has_value());
  EXPECT_FALSE(FileExists(kInstall + "VZFW.INI"));
}

TEST_F(WordMachine, WordThatCannotStartIsReported) {
  RegisterWord();
  WriteFileBytes(kWord + "winword.exe", "not a program at all");
  Robot user;
  user.Expect(MessageBox("Error")
                  .WithText("Unable to install Word macro virus solution. Load MS-WORD and open VZFW.DOC file for "
                            "macro virus protection.")
                  .WithIcon("information"))
      .Answer(IDOK);
  auto run = Install(user);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(RunValue().has_value());
  EXPECT_FALSE(FileExists(kInstall + "VZNORM.QOT"));
}

TEST_F(WordMachine, NothingHappensWhenTheUserDidNotChooseIt) {
  RegisterWord();
  MakeWord97();
  WriteFileBytes(kWord + "NORMAL.DOT", "Word folder's own template");
  Robot user;
  EXPECT_EQ(Install(user, "off").exitCode, 0u);
  EXPECT_FALSE(FileExists(kWord + "NORMAL.ORG"));
  EXPECT_FALSE(RunValue().has_value());
}

// --- DOTBK.EXE --------------------------------------------------------------------

TEST_F(WordMachine, DotbkKeepsTheGlobalTemplateAsTheProtectionMadeIt) {
  std::string globalTemplate = kWord + "NORMAL.DOT";
  std::string record = kInstall + "VZFW.INI";
  auto dotbk = [&](const char* arguments = "") {
    Robot user;
    RunProgram(kInstall + "DOTBK.EXE", arguments, user);
    return IniValue(record, "DOTBK", "Last Result");
  };
  EXPECT_EQ(dotbk(), "(none)") << "no record: nothing to keep, nothing written";
  EXPECT_FALSE(FileExists(record));

  WriteFileBytes(globalTemplate, "protected template");
  WritePrivateProfileStringA("WORD", "Global Template", globalTemplate.c_str(), record.c_str());
  EXPECT_EQ(dotbk(), "backed up");
  EXPECT_EQ(ReadFileBytes(kInstall + "VZNORM.QOT").value_or(""), "protected template");
  EXPECT_EQ(dotbk(), "unchanged");

  WriteFileBytes(globalTemplate, "protected template with a macro virus");
  EXPECT_EQ(dotbk(), "replaced");
  EXPECT_EQ(ReadFileBytes(globalTemplate).value_or(""), "protected template");
  EXPECT_EQ(ReadFileBytes(kInstall + "VZNORM.CHG").value_or(""), "protected template with a macro virus");

  DeleteFileA(globalTemplate.c_str());
  EXPECT_EQ(dotbk(), "restored");
  EXPECT_EQ(ReadFileBytes(globalTemplate).value_or(""), "protected template");

  WriteFileBytes(globalTemplate, "template the user changed on purpose");
  EXPECT_EQ(dotbk("/backup"), "backed up");
  EXPECT_EQ(ReadFileBytes(kInstall + "VZNORM.QOT").value_or(""), "template the user changed on purpose");
  EXPECT_NE(IniValue(record, "DOTBK", "Last Check"), "(none)");
}

}  // namespace
