// The other system's records copied into this system's: the uninstall
// arguments from the install map file, and each entry of the other system's
// VZ32.INI cut to its buffer, with its default when missing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "machine.h"
#include "preinstall/second_os.h"
#include "services/misc.h"

namespace vz {
namespace {

const char kOtherFolder[] = "C:\\VZTEST\\OTHERWIN";
const char kProduct[] = "SOFTWARE\\Orvanto\\Velzor";
const char kUserProduct[] = "Software\\Orvanto\\Velzor";
const char kOemKey[] = "SOFTWARE\\Orvanto\\Velzor\\OEM Copy";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";

std::string Reg(HKEY root, const std::string& key, const char* name) {
  return bench::RegText(root, key, name).value_or("(none)");
}

class SecondOsRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    bench::TestMachine::ClearProductRecords();
    bench::RemoveTree("C:\\VZTEST");
    CopyText(g_setup.productVersion, "5.0");
    g_setup.perOsIniPath[0] = '\0';
  }
  void TearDown() override {
    bench::TestMachine::ClearProductRecords();
    bench::RemoveTree("C:\\VZTEST");
  }
  static void WriteInstallMap(const std::string& entries) {
    bench::WriteFileBytes("C:\\VZ.INI", "[Path]\r\n" + entries);
  }
};

TEST_F(SecondOsRecords, UninstallArgumentsAreTheTailFromTheBlankAfterUninst) {
  struct Case {
    const char* entry;  // "Path" / "Uninstall"; nullptr: none
    const char* arguments;
  } cases[] = {
      {"c:\\windows\\uninst.exe -fX", " -fX"},
      {"c:\\windows\\uninst.exe  -f c:\\app\\data.log", "  -f c:\\app\\data.log"},
      {"c:\\program files\\velzor\\uninst.exe /quiet", " /quiet"},  // the blank before "uninst" does not count
      {"c:\\windows\\uninst.exe", ""},                               // no blank after it
      {"c:\\windows\\remove.exe -f x", ""},                          // no "uninst"
      {"", ""},
      {nullptr, ""},
  };
  for (const auto& c : cases) {
    bench::TestMachine::ClearProductRecords();
    if (c.entry) WriteInstallMap(std::string("Uninstall=") + c.entry + "\r\n");
    char arguments[kPathCapacity];
    std::memset(arguments, 'x', sizeof arguments);
    ReadUninstallArguments(arguments);
    EXPECT_STREQ(arguments, c.arguments) << (c.entry ? c.entry : "(no entry)");
  }
}

struct CopyCase {
  const char* name;
  std::string otherIni;
  const char* type;       // "Type" afterwards
  const char* version;    // "CurrentVersion" and the version key's name
  std::string company;
  std::string userName;
  std::string oemName;  // empty: no OEM records
  std::string oemPhone;
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class CopyOtherSystem : public SecondOsRecords, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyOtherSystem, TakesEachEntryCutToItsBuffer) {
  if (GetOS() == 1) GTEST_SKIP() << "runs as Windows NT, the product installed from Windows 95";
  const auto& c = GetParam();
  WriteInstallMap(std::string("Windows 95=") + kOtherFolder + "\r\nVelzor=C:\\VZ\r\nUninstall=c:\\windows\\uninst.exe -fX\r\n");
  bench::WriteFileBytes(std::string(kOtherFolder) + "\\VZ32.INI", c.otherIni);

  CopyOtherOSRecords();

  EXPECT_EQ(std::string(g_setup.perOsIniPath), std::string(kOtherFolder) + "\\VZ32.INI");
  EXPECT_EQ(std::string(g_setup.productVersion), c.version);
  EXPECT_EQ(Reg(HKEY_CURRENT_USER, kUserProduct, "Type"), c.type);
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProduct, "CurrentVersion"), c.version);
  std::string versionKey = std::string(kProduct) + "\\" + c.version;
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, versionKey, "Company"), c.company);
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, versionKey, "Name"), c.userName);
  if (!c.oemName.empty()) {
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Name"), c.oemName);
    EXPECT_EQ(Reg(HKEY_CURRENT_USER, kOemKey, "OEM Phone"), c.oemPhone);
  } else {
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, kOemKey));
  }
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName"), "Velzor");
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString"), "C:\\VZ\\VZUINST.EXE") << "a backslash added";
  EXPECT_EQ(Reg(HKEY_LOCAL_MACHINE, kProduct, "UninstPath"), bench::TestMachine::WindowsFolder() + "Uninst.exe  -fX");
}

const std::string k60(60, 'N');

INSTANTIATE_TEST_SUITE_P(
    Phases, CopyOtherSystem,
    ::testing::Values(
        CopyCase{"OnlyTheVersion", "[Info]\r\nVersion=5.00\r\n", "2", "5.00", "", "", "", ""},
        CopyCase{"EveryEntry",
                 "[Info]\r\nType=3\r\nVersion=5.0\r\nCompany=Orvanto Users Ltd\r\nName=Pat Example\r\n"
                 "[OEM]\r\nName=Corner Shop\r\nEmail=a@b.example\r\nFax=1\r\nPhone=555 0100\r\n",
                 "3", "5.0", "Orvanto Users Ltd", "Pat Example", "Corner Shop", "555 0100"},
        // Type 4, Version 5, Company and Name 29, the OEM entries 49 characters.
        CopyCase{"LongEntriesAreCut",
                 "[Info]\r\nType=123456\r\nVersion=5.0.1234\r\nCompany=" + k60 + "\r\nName=" + k60 + "\r\n[OEM]\r\nName=" +
                     k60 + "\r\nPhone=" + k60 + "\r\n",
                 "1234", "5.0.1", std::string(29, 'N'), std::string(29, 'N'), std::string(49, 'N'),
                 std::string(49, 'N')},
        CopyCase{"OemSectionWithoutAName", "[Info]\r\nVersion=5.0\r\n[OEM]\r\nEmail=a@b.example\r\n", "2", "5.0", "",
                 "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vz
