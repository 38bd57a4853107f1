// The "Velzor Scan" shell verb for program files, drives, folders and the
// ARJ and ZIP archive types.
#include <gtest/gtest.h>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "finalise/shell_integration.h"
#include "machine.h"

using bench::RegKeyExists;
using bench::RegText;

namespace {

constexpr char kInstall[] = "C:\\VZ\\";
constexpr char kCommand[] = "C:\\VZ\\VZ32.EXE /Vz32Scan%1";
constexpr const char* kClasses[] = {"comfile", "exefile", "Drive", "Directory"};
constexpr const char* kTestTypes[] = {"vzcomp", "VzTestZip", "ABCDEFGHIJKLM", "VeryLongTypeN", "Odd"};

std::string VerbKey(const std::string& type) { return type + "\\shell\\Velzor Scan\\command"; }
std::optional<std::string> Verb(const std::string& type) { return RegText(HKEY_CLASSES_ROOT, VerbKey(type), ""); }

void SetArchiveType(const char* extension, const std::optional<std::string>& type) {
  bench::DeleteRegTree(HKEY_CLASSES_ROOT, extension);
  if (type) bench::SetRegText(HKEY_CLASSES_ROOT, extension, "", *type);
}

class ShellVerbs : public ::testing::Test {
 protected:
  void SetUp() override {
    Clear();
    vz::CopyText(vz::g_setup.installFolder, kInstall);
    vz::g_choices.ShellExtensions = 1;
  }
  void TearDown() override {
    Clear();
    vz::g_choices.ShellExtensions = 0;
  }
  static void Clear() {
    for (const char* extension : {".ARJ", ".ZIP"}) bench::DeleteRegTree(HKEY_CLASSES_ROOT, extension);
    for (const char* type : kTestTypes) bench::DeleteRegTree(HKEY_CLASSES_ROOT, type);
    for (const char* type : kClasses) bench::DeleteRegTree(HKEY_CLASSES_ROOT, std::string(type) + "\\shell\\Velzor Scan");
  }
};

TEST_F(ShellVerbs, TurnedOffChangeNothing) {
  for (const char* type : kClasses) bench::SetRegText(HKEY_CLASSES_ROOT, VerbKey(type), "", "an earlier command");
  vz::g_choices.ShellExtensions = 0;

  vz::InstallShellVerbs();

  // Not even the earlier verbs are removed.
  for (const char* type : kClasses) EXPECT_EQ(Verb(type), "an earlier command") << type;
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".ARJ"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".ZIP"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "vzcomp"));
}

TEST_F(ShellVerbs, ProgramFilesDrivesAndFoldersGetTheSameCommand) {
  for (const char* type : kClasses) bench::SetRegText(HKEY_CLASSES_ROOT, VerbKey(type), "", "an earlier command");

  vz::InstallShellVerbs();

  for (const char* type : kClasses) EXPECT_EQ(Verb(type), kCommand) << type;
}

struct ArchiveCase {
  const char* name;
  std::optional<std::string> arj, zip;            // default values before; nullopt: no key
  std::optional<std::string> arjAfter, zipAfter;  // and after
  std::vector<std::string> typesWithVerb;
  std::vector<std::string> typesWithout;
};

void PrintTo(const ArchiveCase& c, std::ostream* os) { *os << c.name; }

class ArchiveVerbs : public ShellVerbs, public ::testing::WithParamInterface<ArchiveCase> {};

TEST_P(ArchiveVerbs, GoUnderTheArchiveFileType) {
  const ArchiveCase& c = GetParam();
  SetArchiveType(".ARJ", c.arj);
  SetArchiveType(".ZIP", c.zip);

  vz::InstallShellVerbs();

  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, ".ARJ", ""), c.arjAfter);
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, ".ZIP", ""), c.zipAfter);
  for (const std::string& type : c.typesWithVerb) EXPECT_EQ(Verb(type), kCommand) << type;
  for (const std::string& type : c.typesWithout) EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, type)) << type;
}

INSTANTIATE_TEST_SUITE_P(
    Finalise, ArchiveVerbs,
    ::testing::Values(
        ArchiveCase{"ZipWithATypeArjMissing", std::nullopt, "VzTestZip", "vzcomp", "VzTestZip", {"VzTestZip", "vzcomp"}, {}},
        ArchiveCase{"ArjEmpty", "", "VzTestZip", "vzcomp", "VzTestZip", {"VzTestZip", "vzcomp"}, {}},
        ArchiveCase{"BothWithoutAType", std::nullopt, "", "vzcomp", "vzcomp", {"vzcomp"}, {}},
        ArchiveCase{"TypesOf13Characters", "ABCDEFGHIJKLM", "VzTestZip", "ABCDEFGHIJKLM", "VzTestZip",
                    {"ABCDEFGHIJKLM", "VzTestZip"}, {"vzcomp"}},
        // A longer name is read cut to 13 characters, and the verb goes there.
        ArchiveCase{"LongerTypeIsCut", "VeryLongTypeName", "VzTestZip", "VeryLongTypeName", "VzTestZip",
                    {"VeryLongTypeN", "VzTestZip"}, {"vzcomp"}},
        // A text with a key separator names no file type: no verb, and it stays.
        ArchiveCase{"NotATypeName", "Odd|Type", "VzTestZip", "Odd|Type", "VzTestZip", {"VzTestZip"}, {"Odd", "vzcomp"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
