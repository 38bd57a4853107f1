// Registry.dll on the real registry: capacities and cut values, absent keys
// and values, the delete-then-add pattern, default values, subkey deletion.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine.h"
#include "services/registry.h"

namespace {

std::string ExeName() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name = path;
  return name.substr(name.find_last_of('\\') + 1);
}

std::string Backslashed(std::string path) {
  for (char& c : path)
    if (c == '|') c = '\\';
  return path;
}

// Each case works below a key of its own (named after the program and the
// case), so cases may run side by side.
class RegistryLib : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software|VzRegistryTest|" + ExeName() + "|" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() { bench::DeleteRegTree(HKEY_CURRENT_USER, Backslashed(base_)); }
  std::string Key(const std::string& sub = "") const { return sub.empty() ? base_ : base_ + "|" + sub; }
  // Raw type and size of a value, as the registry holds it.
  static bool RawValue(HKEY root, const std::string& key, const char* name, DWORD* type, DWORD* size) {
    HKEY k;
    if (RegOpenKeyExA(root, Backslashed(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    LONG rc = RegQueryValueExA(k, name, nullptr, type, nullptr, size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
  }
  std::string base_;
};

constexpr char kGuard = '#';

// A buffer prefilled with guard bytes, to see what a read touched.
struct GuardedBuffer {
  char bytes[64];
  GuardedBuffer() { std::memset(bytes, kGuard, sizeof bytes); }
  bool UntouchedFrom(int from) const {
    for (int i = from; i < static_cast<int>(sizeof bytes); ++i)
      if (bytes[i] != kGuard) return false;
    return true;
  }
};

TEST_F(RegistryLib, ReadsAreCutToTheCapacityAndNeverWriteBeyondIt) {
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, Key().c_str(), "TempCurrentVersion", "5.0.1234"), 1);
  struct Case { int capacity; int result; const char* text; } cases[] = {
      {8, 1, "5.0.123"},    // the 8-byte version read keeps 7 characters
      {9, 1, "5.0.1234"},   // exactly fits
      {32, 1, "5.0.1234"},  // room to spare
      {2, 1, "5"},
      {1, 1, ""},           // room for the terminator only
  };
  for (const auto& c : cases) {
    GuardedBuffer buffer;
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, Key().c_str(), "TempCurrentVersion", buffer.bytes, c.capacity), c.result)
        << "capacity " << c.capacity;
    EXPECT_STREQ(buffer.bytes, c.text) << "capacity " << c.capacity;
    EXPECT_TRUE(buffer.UntouchedFrom(c.capacity)) << "capacity " << c.capacity;
  }
  GuardedBuffer none;
  EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, Key().c_str(), "TempCurrentVersion", none.bytes, 0), 0);
  EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST_F(RegistryLib, FailedReadsLeaveThePresetBufferAlone) {
  bench::SetRegText(HKEY_CURRENT_USER, Backslashed(Key()), "Present", "x");
  {  // a value of another type than text
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Backslashed(Key()).c_str(), 0, KEY_WRITE, &k), ERROR_SUCCESS);
    DWORD number = 7;
    RegSetValueExA(k, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
    RegCloseKey(k);
  }
  struct Case { std::string key; const char* name; } cases[] = {
      {Key("Missing"), "Present"},    // absent key
      {Key(), "Missing"},             // absent value
      {Key(), "Number"},              // not text
      {Key(), ""},                    // default value never set
      {std::string(2000, 'k'), "x"},  // path too long to name a key
  };
  for (const auto& c : cases) {
    char buffer[12] = "5.0";
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, c.key.c_str(), c.name, buffer, 8), 0) << c.name;
    EXPECT_STREQ(buffer, "5.0") << c.name;
    EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, c.key.c_str(), c.name), std::strcmp(c.name, "Number") == 0)
        << c.name;
  }
}

TEST_F(RegistryLib, AddCreatesTheMissingKeysAndReplacesAValue) {
  std::string deep = Key("One|Two|Three");
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, deep.c_str(), "Name", "first"), 1);
  EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(deep), "Name"), "first");
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, deep.c_str(), "Name", "second"), 1);
  EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(deep), "Name"), "second");
  DWORD type = 0, size = 0;
  ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, deep, "Name", &type, &size));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 7u);  // the text and its terminator
}

TEST_F(RegistryLib, DeleteThenAddHoldsOneCurrentValue) {
  const char* name = "LastVerInstalled";
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, Key().c_str(), name, "4.52"), 1);
  EXPECT_EQ(DeleteRegistryValue(HKEY_CURRENT_USER, Key().c_str(), name), 1);
  EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, Key().c_str(), name), 0);
  EXPECT_EQ(DeleteRegistryValue(HKEY_CURRENT_USER, Key().c_str(), name), 1);  // already gone: no error
  EXPECT_EQ(DeleteRegistryValue(HKEY_CURRENT_USER, Key("NoSuchKey").c_str(), name), 1);
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, Key().c_str(), name, "5.0"), 1);
  char buffer[10] = "";
  EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, Key().c_str(), name, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "5.0");
  EXPECT_EQ(bench::RegValueNames(HKEY_CURRENT_USER, Backslashed(Key())).size(), 1u);
}

TEST_F(RegistryLib, SetStoresTheTextWhateverLengthIsPassed) {
  struct Case { const char* text; int length; const char* stored; } cases[] = {
      {"1", 1, "1"},                                // a flag, length 1
      {"C:\\SETUP\\", 9, "C:\\SETUP\\"},            // the text's length
      {"C:\\VELZOR\\VZUINST.EXE", 260, "C:\\VELZOR\\VZUINST.EXE"},  // the buffer's capacity
      {"abcdef", 3, "abc"},                         // never more than the length
      {"abc", 0, ""},
  };
  int i = 0;
  for (const auto& c : cases) {
    std::string key = Key("Missing" + std::to_string(i++));  // the key does not exist yet
    char holder[260] = "";
    std::strcpy(holder, c.text);
    ASSERT_EQ(SetRegValue(HKEY_CURRENT_USER, key.c_str(), "Value", holder, c.length), 1) << c.text;
    EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(key), "Value"), c.stored) << c.text;
    DWORD type = 0, size = 0;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, key, "Value", &type, &size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, std::strlen(c.stored) + 1) << c.text;
  }
  // In place: the second write replaces the first.
  ASSERT_EQ(SetRegValue(HKEY_CURRENT_USER, Key().c_str(), "CalledFromInstall", "1", 1), 1);
  ASSERT_EQ(SetRegValue(HKEY_CURRENT_USER, Key().c_str(), "CalledFromInstall", "0", 1), 1);
  EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(Key()), "CalledFromInstall"), "0");
}

TEST_F(RegistryLib, DefaultValuesAreTheEmptyName) {
  ASSERT_EQ(AddRegistryKeyWithDefVal(HKEY_CURRENT_USER, Key("Verb|command").c_str(), "C:\\VZ\\VZ32.EXE %1"), 1);
  EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(Key("Verb|command")), ""), "C:\\VZ\\VZ32.EXE %1");
  char buffer[64] = "";
  EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, Key("Verb|command").c_str(), "", buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "C:\\VZ\\VZ32.EXE %1");
  EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, Key("Verb|command").c_str(), ""), 1);
  EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, Key("Verb").c_str(), ""), 0);
  ASSERT_EQ(AddRegistryKeyWithDefVal(HKEY_CURRENT_USER, Key("Verb|command").c_str(), "new"), 1);
  EXPECT_EQ(bench::RegText(HKEY_CURRENT_USER, Backslashed(Key("Verb|command")), ""), "new");
}

TEST_F(RegistryLib, DeletingAKeyRemovesEverythingBelowIt) {
  for (const char* sub : {"Old|5.0", "Old|5.0|Deeper|Deepest", "Old|4.0", "Kept"})
    ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, Key(sub).c_str(), "V", "x"), 1);
  EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, Key().c_str(), "Old"), 1);
  EXPECT_EQ(IsRegistryKeyPresent(HKEY_CURRENT_USER, Key("Old").c_str()), 0);
  EXPECT_NE(IsRegistryKeyPresent(HKEY_CURRENT_USER, Key("Kept").c_str()), 0);
  EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, Key().c_str(), "Old"), 1);  // already gone
  // An empty name never deletes the parent.
  EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, Key().c_str(), ""), 0);
  EXPECT_NE(IsRegistryKeyPresent(HKEY_CURRENT_USER, Key().c_str()), 0);
  // A name may itself be a path below the parent.
  EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, Key().c_str(), "Kept"), 1);
  EXPECT_EQ(IsRegistryKeyPresent(HKEY_CURRENT_USER, Key("Kept").c_str()), 0);
}

TEST_F(RegistryLib, PresenceOfKeysAndValues) {
  ASSERT_EQ(AddRegistryValue(HKEY_CURRENT_USER, Key("A|B").c_str(), "V", ""), 1);
  struct Case { std::string key; bool present; } keys[] = {
      {Key(), true}, {Key("A"), true}, {Key("A|B"), true}, {Key("a|b"), true}, {Key("A|B|C"), false},
      {Key("B"), false}, {std::string(1500, 'z'), false}};
  for (const auto& c : keys) EXPECT_EQ(IsRegistryKeyPresent(HKEY_CURRENT_USER, c.key.c_str()) != 0, c.present) << c.key;
  EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, Key("A|B").c_str(), "V"), 1);  // empty text is present
  EXPECT_EQ(IsRegistryValuePresent(HKEY_CURRENT_USER, Key("A|B").c_str(), "W"), 0);
}

TEST_F(RegistryLib, AnOverlongPathCreatesNothing) {
  std::string longPath = Key(std::string(1100, 'p'));
  EXPECT_EQ(AddRegistryValue(HKEY_CURRENT_USER, longPath.c_str(), "V", "x"), 0);
  EXPECT_EQ(SetRegValue(HKEY_CURRENT_USER, longPath.c_str(), "V", "x", 1), 0);
  EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, Backslashed(Key())));
}

TEST_F(RegistryLib, EveryRootTheHelperNames) {
  std::string own = "VzRegistryTest" + ExeName();
  // The test's own key (parent and name) and the path written below it.
  struct Case { HKEY root; std::string parent; std::string below; } cases[] = {
      {HKEY_LOCAL_MACHINE, "SOFTWARE", "|Orvanto|Velzor"},
      {HKEY_CURRENT_USER, "Software", "|Orvanto|Velzor"},
      {HKEY_USERS, ".Default|Software", "|Orvanto|Velzor"},
      {HKEY_CLASSES_ROOT, "", "|shell|Velzor Scan|command"},
  };
  for (const auto& c : cases) {
    std::string top = c.parent.empty() ? own : c.parent + "|" + own;
    std::string key = top + c.below;
    ASSERT_EQ(AddRegistryValue(c.root, key.c_str(), "V", "text"), 1) << key;
    EXPECT_EQ(bench::RegText(c.root, Backslashed(key), "V"), "text") << key;
    char buffer[8] = "";
    EXPECT_EQ(GetRegValue(c.root, key.c_str(), "V", buffer, sizeof buffer), 1) << key;
    EXPECT_STREQ(buffer, "text");
    EXPECT_EQ(DeleteRegistryKey(c.root, c.parent.c_str(), own.c_str()), 1) << top;
    EXPECT_FALSE(bench::RegKeyExists(c.root, Backslashed(top))) << top;
  }
}

// The same cases in a copy of this program that Wine runs as Windows 95,
// where the registry's own calls behave differently (RegSetValueEx ignores
// the size given, RegDeleteKey deletes subkeys).
TEST(RegistryLibWindows95, SameResultsWhenTheProgramRunsAsWindows95) {
  if (bench::IsOwnCopy()) GTEST_SKIP() << "this is the copy";
  auto run = bench::RunOwnCopyAs(bench::Os::Windows95, "RegistryLib.*");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << "a case failed when run as Windows 95";
}

}  // namespace
