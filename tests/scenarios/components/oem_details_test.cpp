// The OEM details dialog, run as /initsetup runs it: the contact details go to
// the OEM key and to section "OEM" of this system's VZ32.INI, each cut to its
// field's size; the dialog ends only through OK.
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

const char kCaption[] = "Original Equipment Manufacturer's Address";
const char kOemKey[] = "SOFTWARE\\Orvanto\\Velzor\\OEM Copy";
constexpr int kName = 1010, kPhone = 1011, kFax = 1012, kEmail = 1013;

std::string PerOsIni() { return TestMachine::WindowsFolder() + "VZ32.INI"; }

std::string IniValue(const char* key) {
  char value[1024] = "";
  GetPrivateProfileStringA("OEM", key, "(none)", value, sizeof value, PerOsIni().c_str());
  return value;
}

// Distinct characters, so that a cut in the wrong place shows.
std::string Digits(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

struct Field {
  int control;
  const char* registryName;
  const char* iniKey;
};
constexpr Field kFields[] = {{kName, "OEM Name", "Name"},
                             {kEmail, "OEM Email", "Email"},
                             {kFax, "OEM Fax", "Fax"},
                             {kPhone, "OEM Phone", "Phone"}};

struct OemCase {
  const char* name;
  std::string typed[4];  // Name, Email, Fax, Phone
  std::string stored[4];
};

void PrintTo(const OemCase& c, std::ostream* os) { *os << c.name; }

class OemDetails : public ComponentsMachine, public ::testing::WithParamInterface<OemCase> {};

TEST_P(OemDetails, StoresEachFieldCutToItsSize) {
  const auto& c = GetParam();
  Robot user;
  Step& step = user.Expect(Dialog(kCaption));
  for (size_t i = 0; i < 4; ++i)
    if (!c.typed[i].empty()) step.Type(kFields[i].control, c.typed[i]);
  step.PressEsc().StaysOpen().Click(IDOK);
  auto run = RunOps(Os::WindowsNT, "OemDetails", user);
  EXPECT_EQ(run.exitCode, 1u);

  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kOemKey, kFields[i].registryName), c.stored[i]) << kFields[i].registryName;
    EXPECT_EQ(IniValue(kFields[i].iniKey), c.stored[i]) << kFields[i].iniKey;
  }
  WindowSeen seen = user.Find(kCaption);
  ASSERT_NE(seen.hwnd, nullptr);
  EXPECT_FALSE(seen.HasCloseBox());
  EXPECT_EQ(seen.Control(IDCANCEL), nullptr) << "the dialog has no Cancel button";
  for (const Field& field : kFields) {
    ASSERT_NE(seen.Control(field.control), nullptr);
    EXPECT_EQ(seen.Control(field.control)->text, "") << "fields start empty";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OemDetails,
    ::testing::Values(
        OemCase{"AllFilled",
                {"Acme Computers Ltd", "support@acme.example", "+1 555 0100", "+1 555 0199"},
                {"Acme Computers Ltd", "support@acme.example", "+1 555 0100", "+1 555 0199"}},
        // Name 200, Email 100, Fax and Phone 50 characters with the terminator.
        OemCase{"LongEntriesAreCut",
                {Digits(250), Digits(150), Digits(80), Digits(60)},
                {Digits(199), Digits(99), Digits(49), Digits(49)}},
        OemCase{"ExactlyFitting",
                {Digits(199), Digits(99), Digits(49), Digits(49)},
                {Digits(199), Digits(99), Digits(49), Digits(49)}},
        OemCase{"EmptyFieldsAreWrittenEmpty", {"Acme", "", "", ""}, {"Acme", "", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
