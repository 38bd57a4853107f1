// misc.dll: the product's start-up entries and shell verbs are removed, and
// nothing else.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "machine.h"
#include "services/misc.h"

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(StartupEntries, OnlyTheProductsResidentProgramsAreRemoved) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const char* name : {"Velzor On-Line Protection", "Velzor Scheduler", "Velzor ToolBar", "VZFW", "Other"})
      bench::SetRegText(root, kRun, name, std::string("C:\\VZ\\") + name);
  }
  EXPECT_EQ(RemoveEntriesFromStartup(), 1);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const char* gone : {"Velzor On-Line Protection", "Velzor Scheduler", "Velzor ToolBar"})
      EXPECT_FALSE(bench::RegText(root, kRun, gone).has_value()) << gone;
    for (const char* kept : {"VZFW", "Other"}) {
      EXPECT_TRUE(bench::RegText(root, kRun, kept).has_value()) << kept;
      bench::DeleteRegValue(root, kRun, kept);
    }
  }
  EXPECT_EQ(RemoveEntriesFromStartup(), 1);  // nothing left to remove is no error
}

// The default value of an HKCR key, put back as it was when the case ends.
class SavedDefault {
 public:
  explicit SavedDefault(std::string key) : key_(std::move(key)), value_(bench::RegText(HKEY_CLASSES_ROOT, key_, "")) {}
  ~SavedDefault() {
    if (value_) bench::SetRegText(HKEY_CLASSES_ROOT, key_, "", *value_);
    else bench::DeleteRegValue(HKEY_CLASSES_ROOT, key_, "");
  }

 private:
  std::string key_;
  std::optional<std::string> value_;
};

TEST(ShellExtensions, TheScanVerbIsRemovedEverywhereItWasAdded) {
  SavedDefault arj(".ARJ"), zip(".ZIP");
  bool hadOwnType = bench::RegKeyExists(HKEY_CLASSES_ROOT, "vzcomp");
  const std::string longType = "VzTest.Archive.Type";  // longer than the installer's 14-byte read
  bench::SetRegText(HKEY_CLASSES_ROOT, ".ARJ", "", "vzcomp");
  bench::SetRegText(HKEY_CLASSES_ROOT, ".ZIP", "", longType);
  std::vector<std::string> types = {"comfile", "exefile", "Drive", "Directory", "vzcomp", longType,
                                    longType.substr(0, 13)};
  for (const auto& type : types)
    bench::SetRegText(HKEY_CLASSES_ROOT, type + "\\shell\\Velzor Scan\\command", "", "C:\\VZ\\VZ32.EXE /Vz32Scan%1");
  bench::SetRegText(HKEY_CLASSES_ROOT, "exefile\\shell\\VzTestOther\\command", "", "other");
  EXPECT_EQ(RemoveShellExtensions(), 1);
  for (const auto& type : types)
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CLASSES_ROOT, type + "\\shell\\Velzor Scan")) << type;
  EXPECT_TRUE(bench::RegKeyExists(HKEY_CLASSES_ROOT, "exefile\\shell\\VzTestOther\\command"));
  EXPECT_TRUE(bench::RegKeyExists(HKEY_CLASSES_ROOT, longType));
  EXPECT_EQ(bench::RegText(HKEY_CLASSES_ROOT, ".ZIP", ""), longType);
  EXPECT_EQ(RemoveShellExtensions(), 1);  // nothing left: no harm
  bench::DeleteRegTree(HKEY_CLASSES_ROOT, "exefile\\shell\\VzTestOther");
  bench::DeleteRegTree(HKEY_CLASSES_ROOT, longType);
  bench::DeleteRegTree(HKEY_CLASSES_ROOT, longType.substr(0, 13));
  if (!hadOwnType) bench::DeleteRegTree(HKEY_CLASSES_ROOT, "vzcomp");
}

}  // namespace
