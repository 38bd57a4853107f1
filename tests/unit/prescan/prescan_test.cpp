// The system file scan's own computations, called directly: the extension
// key, the naming tables, the index name read and the message composition.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "machine.h"
#include "prescan/system_scan.h"
#include "robot.h"
#include "virus_samples.h"

using namespace bench;

namespace {

// --- Executable names ------------------------------------------------------------------

struct NameCase {
  const char* name;
  int scanned;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << "\"" << c.name << "\""; }

class ExecutableExtension : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExecutableExtension, ScansExactlyTheListedExtensions) {
  EXPECT_EQ(vz::HasExecutableExtension(GetParam().name), GetParam().scanned);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExecutableExtension,
    ::testing::Values(NameCase{"setup.exe", 1}, NameCase{"SETUP.EXE", 1}, NameCase{".exe", 1}, NameCase{"Setup.ExE", 1},
                      NameCase{"a.com", 1}, NameCase{"a.dll", 1}, NameCase{"a.drv", 1}, NameCase{"a.ovr", 1},
                      NameCase{"a.ovl", 1}, NameCase{"a.sys", 1}, NameCase{"a.b.exe", 1}, NameCase{"SETUP.EX", 0},
                      NameCase{"SETUP.EXE.BAK", 0}, NameCase{"SETUP.EXEC", 0}, NameCase{"SETUP", 0},
                      NameCase{"a.vxd", 0}, NameCase{"a.bat", 0}, NameCase{"", 0}, NameCase{".", 0}, NameCase{"a.", 0},
                      NameCase{"a.e", 0}, NameCase{"EXE", 0}, NameCase{"a.exe ", 0}, NameCase{"a.COM.", 0},
                      NameCase{"a.e.e", 0}, NameCase{"a.xe.", 0}, NameCase{".exe.", 0}),
    [](const auto& info) {
      std::string name = std::to_string(info.index) + "_";
      for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// --- The helper's own names ---------------------------------------------------------------

struct TableCase {
  short kind;
  short id;
  const char* name;  // nullptr: the index names it
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << "kind " << c.kind << " id " << c.id; }

class BuiltInNames : public ::testing::TestWithParam<TableCase> {};

TEST_P(BuiltInNames, NameFindingsByKindAndId) {
  vz::FillVirusNameTables();
  const char* name = vz::BuiltInVirusName(GetParam().kind, GetParam().id);
  if (GetParam().name)
    EXPECT_STREQ(name, GetParam().name);
  else
    EXPECT_EQ(name, nullptr) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuiltInNames,
    ::testing::Values(TableCase{vz::kScanTop, 20, nullptr}, TableCase{vz::kScanTop, 2003, nullptr},
                      TableCase{vz::kScanTop, 8000, nullptr}, TableCase{vz::kScanBottom, 20, "Natas"},
                      TableCase{vz::kScanPolymorphic, 16, "OneHalf"}, TableCase{vz::kScanPe, 20, "Natas"},
                      TableCase{vz::kScanBottom, 2000, "Invisible"}, TableCase{vz::kScanBottom, 2003, "OneHalf"},
                      TableCase{vz::kScanBottom, 2004, "Natas"}, TableCase{vz::kScanPe, 2007, "ScreamingFist.696"},
                      TableCase{vz::kScanBottom, 2029, "HLL.Crawen"}, TableCase{vz::kScanBottom, 2030, nullptr},
                      TableCase{vz::kScanBottom, 4999, nullptr}, TableCase{vz::kScanPe, 5000, "Anxiety"},
                      TableCase{vz::kScanPe, 5001, "Cabanas"}, TableCase{vz::kScanPe, 5002, nullptr},
                      TableCase{vz::kScanPe, 7999, nullptr}, TableCase{vz::kScanPolymorphic, 8000, "Cabanas.3000"},
                      TableCase{vz::kScanPolymorphic, 8001, nullptr}, TableCase{vz::kScanPolymorphic, 32767, nullptr},
                      TableCase{vz::kScanBottom, 1999, nullptr}, TableCase{vz::kScanBottom, 17, nullptr},
                      TableCase{vz::kScanBottom, 0, nullptr}, TableCase{vz::kScanBottom, -2, nullptr}));

// --- Names read from the index ---------------------------------------------------------------

std::string Record(const std::string& name, bool terminated = true) {
  std::string record = Filler(24, static_cast<std::uint32_t>(name.size()));
  std::string field = name;
  if (terminated) field.resize(16, '\0');
  for (char c : field) record += static_cast<char>(static_cast<unsigned char>(c) + 60);
  return record;
}

class IndexNames : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string index = std::string("VZ\x01\x01", 4) + std::string(4, '\0');
    index += Record("Natas");                          // 0
    index += Record("ABCDEFGHIJKLMNOP", false);        // 1: no zero byte in the field
    index += Record("");                               // 2: empty
    index += Record("Cut.Short").substr(0, 30);        // 3: the file ends inside it
    file_ = std::make_unique<PlantedFile>(ScratchPath(), index);
  }
  static std::string ScratchPath() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "vz_prescan_" + std::to_string(GetCurrentProcessId()) + "\\VZ.INX";
  }
  int Read(short record, std::string& name) {
    char buffer[vz::kVirusNameCapacity];
    std::memset(buffer, 'x', sizeof buffer);
    int ok = vz::ReadSignatureNameFrom(file_->path().c_str(), record, buffer);
    name = ok ? buffer : "";
    return ok;
  }
  std::unique_ptr<PlantedFile> file_;
};

TEST_F(IndexNames, ReadsTheNameFieldOfARecord) {
  std::string name;
  EXPECT_EQ(Read(0, name), 1);
  EXPECT_EQ(name, "Natas");
  EXPECT_EQ(Read(1, name), 1);
  EXPECT_EQ(name, "ABCDEFGHIJKLMNOP") << "a field without its zero byte gives its 16 characters";
}

TEST_F(IndexNames, NamesNothingItCannotRead) {
  std::string name;
  EXPECT_EQ(Read(2, name), 0) << "empty name";
  EXPECT_EQ(Read(3, name), 0) << "record cut off by the end of the file";
  EXPECT_EQ(Read(4, name), 0) << "record beyond the file";
  EXPECT_EQ(Read(-1, name), 0) << "negative record number";
  char buffer[vz::kVirusNameCapacity];
  EXPECT_EQ(vz::ReadSignatureNameFrom("C:\\no such folder\\VZ.INX", 0, buffer), 0);
}

// --- The message ----------------------------------------------------------------------------

std::string Message(const std::string& name, const std::string& path) {
  char message[vz::kVirusMessageCapacity];
  vz::ComposeVirusMessage(message, name.c_str(), path.c_str());
  return message;
}

std::string Expected(const std::string& name, const std::string& path) {
  return "Found strains of " + name + " in " + path +
         ".\nBecause the virus is not currently active, Setup can safely install Velzor anti-virus on your "
         "computer. After installation completes, scan your drives to eliminate the virus.\n\nClick OK to continue.";
}

TEST(VirusMessage, NamesTheVirusAndTheFile) {
  EXPECT_EQ(Message("OneHalf", "C:\\WINDOWS\\SYSTEM\\X.COM"), Expected("OneHalf", "C:\\WINDOWS\\SYSTEM\\X.COM"));
}

TEST(VirusMessage, APathTooLongForTheBufferLosesItsMiddleOnly) {
  const std::string name = "ScreamingFist.696";
  const std::size_t room = 399 - Expected(name, "").size();  // what the 400-byte buffer leaves the path
  std::string fits = "C:\\" + std::string(room - 9, 'A') + "\\X.EXE";
  ASSERT_EQ(fits.size(), room);
  EXPECT_EQ(Message(name, fits), Expected(name, fits));

  for (std::size_t length : {room + 1, std::size_t{259}, std::size_t{600}}) {
    std::string path = "C:\\WINDOWS\\" + std::string(length - 24, 'D') + "\\INFECTED.EXE";
    ASSERT_EQ(path.size(), length);
    std::string message = Message(name, path);
    EXPECT_LE(message.size(), 399u);
    EXPECT_EQ(message.rfind("Found strains of " + name + " in C:\\WINDOWS\\", 0), 0u) << message;
    EXPECT_NE(message.find("...D"), std::string::npos) << message;
    EXPECT_NE(message.find("\\INFECTED.EXE.\nBecause"), std::string::npos) << message;
    EXPECT_EQ(message.size(), 399u) << "the path fills the room it has";
  }
}

// --- The report ------------------------------------------------------------------------------

TEST(ReportVirus, ShowsTheMessageAndNamesAnUnknownVirusSo) {
  vz::FillVirusNameTables();
  struct Report {
    short id, kind, record;
    const char* name;
  };
  // Record 30000 is in no index: the name cannot be read.
  const Report reports[] = {{2007, vz::kScanPe, 30000, "ScreamingFist.696"},
                            {8001, vz::kScanBottom, 30000, "an unknown virus"},
                            {20, vz::kScanTop, 30000, "an unknown virus"}};
  for (const auto& r : reports) {
    Robot user;
    user.Expect(MessageBox("Virus Found").WithText(Expected(r.name, "C:\\VZ\\X.COM")).WithIcon("exclamation").WithButtons("OK"))
        .Answer(IDOK);
    user.Start(GetCurrentProcessId());
    vz::ReportVirus(r.id, r.kind, "C:\\VZ\\X.COM", r.record);
    user.Finish();
    EXPECT_TRUE(user.Ok()) << user.Transcript();
  }
}

}  // namespace
