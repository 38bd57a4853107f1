// SIGSCAN.dll against the signatures of sigscan_cases.ndb (built into
// testdata\sigscan_cases.inx): each kind at the edges of its offsets,
// wildcards and gaps across the library's read windows, hostile PE headers,
// call order and file position, and indexes it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "machine.h"
#include "virus_samples.h"
#include "services/sigscan.h"

using namespace bench;

namespace {

// The library's read windows (libs/sigscan/matcher.h).
constexpr std::size_t kPolyChunk = 256 * 1024;
constexpr std::size_t kGapChunk = 64 * 1024;

enum class Kind { Top, Bottom, Poly, Pe };

const char* KindName(Kind k) {
  switch (k) {
    case Kind::Top: return "top";
    case Kind::Bottom: return "bottom";
    case Kind::Poly: return "poly";
    default: return "PE";
  }
}

std::string IndexPath() { return TestMachine::BinFolder() + "testdata\\sigscan_cases.inx"; }

std::string Folder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  // One folder per test process: ctest runs several at once.
  return std::string(temp) + "vz_sigscan\\" + std::to_string(GetCurrentProcessId()) + "\\";
}

void RunKind(HANDLE file, Kind kind, Index* index) {
  switch (kind) {
    case Kind::Top: ScanTopViruses(file, index); break;
    case Kind::Bottom: ScanBottViruses(file, index); break;
    case Kind::Poly: ScanPolyViruses(file, index); break;
    case Kind::Pe: ScanPEViruses(file, index); break;
  }
}

HANDLE OpenForScan(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Writes the bytes to a file, opens it as the helper does and runs one kind.
Index ScanBytes(const std::string& bytes, Kind kind) {
  PlantedFile sample(Folder() + "sample.bin", bytes);
  HANDLE file = OpenForScan(sample.path());
  Index index{123, 456};
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  RunKind(file, kind, &index);
  CloseHandle(file);
  return index;
}

class SigScan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(InitScan(IndexPath().c_str()), 1) << IndexPath(); }
  static void TearDownTestSuite() { EndScan(); }
};

// --- Cases of one file and one kind ----------------------------------------------

struct Case {
  const char* name;
  Kind kind;
  std::function<std::string()> bytes;
  int virusId;  // -1: nothing found
  int record;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class SigScanCase : public SigScan, public ::testing::WithParamInterface<Case> {};

TEST_P(SigScanCase, FindsWhatItsOffsetsAllow) {
  const Case& c = GetParam();
  Index index = ScanBytes(c.bytes(), c.kind);
  EXPECT_EQ(index.virusId, c.virusId) << KindName(c.kind);
  if (c.virusId == -1)
    EXPECT_EQ(index.recordNumber, -1);
  else
    EXPECT_EQ(index.recordNumber, c.record);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

// Top: "TOP-FLOAT-MARK" may start at 100 to 150; "TOP-AT-ZERO-MARK" at 0.
INSTANTIATE_TEST_SUITE_P(
    Top, SigScanCase,
    ::testing::Values(
        Case{"ExactAtZero", Kind::Top, [] { return Place(Filler(500), 0, "TOP-AT-ZERO-MARK"); }, 101, 0},
        Case{"ExactOneLater", Kind::Top, [] { return Place(Filler(500), 1, "TOP-AT-ZERO-MARK"); }, -1, -1},
        Case{"ExactFileIsThePattern", Kind::Top, [] { return std::string("TOP-AT-ZERO-MARK"); }, 101, 0},
        Case{"ExactFileCutShort", Kind::Top, [] { return std::string("TOP-AT-ZERO-MAR"); }, -1, -1},
        Case{"EmptyFile", Kind::Top, [] { return std::string(); }, -1, -1},
        Case{"FloatBeforeItsRange", Kind::Top, [] { return Place(Filler(500), 99, "TOP-FLOAT-MARK"); }, -1, -1},
        Case{"FloatFirstPlace", Kind::Top, [] { return Place(Filler(500), 100, "TOP-FLOAT-MARK"); }, 102, 1},
        Case{"FloatLastPlace", Kind::Top, [] { return Place(Filler(500), 150, "TOP-FLOAT-MARK"); }, 102, 1},
        Case{"FloatPastItsRange", Kind::Top, [] { return Place(Filler(500), 151, "TOP-FLOAT-MARK"); }, -1, -1},
        Case{"FloatEndingTheFile", Kind::Top, [] { return Place(Filler(150), 150, "TOP-FLOAT-MARK"); }, 102, 1},
        Case{"WildcardsMatch", Kind::Top, [] { return Place(Filler(100), 10, "TOPW#X7END"); }, 103, 2},
        Case{"WildcardOtherByte", Kind::Top, [] { return Place(Filler(100), 10, "TOPW\x01X?END"); }, 103, 2},
        Case{"NibbleWrong", Kind::Top, [] { return Place(Filler(100), 10, "TOPW#X@END"); }, -1, -1},
        Case{"PlainByteWrong", Kind::Top, [] { return Place(Filler(100), 10, "TOPW#Y7END"); }, -1, -1},
        Case{"LowestRecordOfTwo", Kind::Top, [] { return Place(Filler(100), 0, "LOWER-RECORD"); }, 109, 15},
        Case{"OnlyTheShorterOne", Kind::Top, [] { return Place(Filler(100), 0, "LOWER-X"); }, 110, 16},
        Case{"TopMarkersElsewhereAreNotTop", Kind::Top, [] { return Place(Filler(5000), 3000, "TOP-AT-ZERO-MARK"); },
             -1, -1}),
    CaseName);

// Bottom: "BOTTOM-ONEHALF" may start 40 to 32 bytes before the end;
// "BOTTOM-END" ends the file.
std::string Tail(std::size_t size, std::size_t fromEnd, const char* marker) {
  return Place(Filler(size), size - fromEnd, marker);
}

INSTANTIATE_TEST_SUITE_P(
    Bottom, SigScanCase,
    ::testing::Values(
        Case{"FloatFirstPlace", Kind::Bottom, [] { return Tail(1000, 40, "BOTTOM-ONEHALF"); }, 16, 3},
        Case{"FloatLastPlace", Kind::Bottom, [] { return Tail(1000, 32, "BOTTOM-ONEHALF"); }, 16, 3},
        Case{"FloatTooEarly", Kind::Bottom, [] { return Tail(1000, 41, "BOTTOM-ONEHALF"); }, -1, -1},
        Case{"FloatTooLate", Kind::Bottom, [] { return Tail(1000, 31, "BOTTOM-ONEHALF"); }, -1, -1},
        Case{"FileShorterThanTheOffset", Kind::Bottom, [] { return Place(Filler(30), 0, "BOTTOM-ONEHALF"); }, -1, -1},
        Case{"FileExactlyTheOffset", Kind::Bottom, [] { return Place(Filler(40), 0, "BOTTOM-ONEHALF"); }, 16, 3},
        Case{"EndsTheFile", Kind::Bottom, [] { return Tail(1000, 10, "BOTTOM-END"); }, 2003, 4},
        Case{"OneByteAfterIt", Kind::Bottom, [] { return Tail(1000, 10, "BOTTOM-END") + "x"; }, -1, -1},
        Case{"FileIsThePattern", Kind::Bottom, [] { return std::string("BOTTOM-END"); }, 2003, 4},
        Case{"LargeFileTail", Kind::Bottom, [] { return Tail(3 * kPolyChunk + 17, 10, "BOTTOM-END"); }, 2003, 4},
        Case{"BottomMarkerAtTheStartIsNotBottom", Kind::Bottom,
             [] { return Place(Filler(1000), 0, "BOTTOM-END"); }, -1, -1}),
    CaseName);

// Polymorphic: wildcards, nibbles, choices, gaps; anywhere in the file, also
// across the library's read windows.
std::string Around(std::size_t size, std::size_t at, const std::string& marker) { return Place(Filler(size), at, marker); }

std::string FarApart(std::size_t gap, const std::string& between, std::size_t twoAt = 0) {
  std::string data = Filler(10 + 7 + gap + 7 + between.size() + 9 + 10);
  data = Place(data, 10, "FAR-ONE");
  std::size_t two = twoAt ? twoAt : 10 + 7 + gap;
  data = Place(data, two, "FAR-TWO");
  return Place(data, two + 7, between + "FAR-THREE");
}

INSTANTIATE_TEST_SUITE_P(
    Poly, SigScanCase,
    ::testing::Values(
        Case{"AnyTwoBytes", Kind::Poly, [] { return Around(5000, 1234, "POLY-NATAS-zz-Q"); }, 20, 9},
        Case{"AnyTwoBytesNotThree", Kind::Poly, [] { return Around(5000, 1234, "POLY-NATAS-zzz-Q"); }, -1, -1},
        Case{"NibblesMatch", Kind::Poly, [] { return Around(5000, 77, "NIB-A-5-END"); }, 105, 10},
        Case{"HighNibbleWrong", Kind::Poly, [] { return Around(5000, 77, "NIB-Q-5-END"); }, -1, -1},
        Case{"LowNibbleWrong", Kind::Poly, [] { return Around(5000, 77, "NIB-A-6-END"); }, -1, -1},
        Case{"ChoiceMatches", Kind::Poly, [] { return Around(5000, 900, "CHOICE-C-END"); }, 106, 11},
        Case{"ChoiceMisses", Kind::Poly, [] { return Around(5000, 900, "CHOICE-D-END"); }, -1, -1},
        Case{"GapAtItsLeast", Kind::Poly, [] { return Around(5000, 10, "GAP-START" + std::string(10, '.') + "GAP-STOP"); },
             107, 12},
        Case{"GapAtItsMost", Kind::Poly, [] { return Around(5000, 10, "GAP-START" + std::string(20, '.') + "GAP-STOP"); },
             107, 12},
        Case{"GapTooShort", Kind::Poly, [] { return Around(5000, 10, "GAP-START" + std::string(9, '.') + "GAP-STOP"); },
             -1, -1},
        Case{"GapTooLong", Kind::Poly, [] { return Around(5000, 10, "GAP-START" + std::string(21, '.') + "GAP-STOP"); },
             -1, -1},
        Case{"UnboundedGapOverAMegabyte", Kind::Poly, [] { return FarApart(1 << 20, ""); }, 108, 13},
        Case{"BoundedGapAfterIt", Kind::Poly, [] { return FarApart(300, "...."); }, 108, 13},
        Case{"BoundedGapTooLong", Kind::Poly, [] { return FarApart(300, "....."); }, -1, -1},
        Case{"LaterPartBeforeTheFirst", Kind::Poly,
             [] { return Place(Place(Filler(3000), 2000, "FAR-ONE"), 100, "FAR-TWOFAR-THREE"); }, -1, -1},
        Case{"SecondCandidateCompletesIt", Kind::Poly,
             [] {
               // The first "FAR-TWO" after "FAR-ONE" is not followed by
               // "FAR-THREE"; a later one is.
               std::string d = Place(Filler(4000), 10, "FAR-ONE");
               d = Place(d, 500, "FAR-TWO.......x");
               return Place(d, 3000, "FAR-TWOFAR-THREE");
             },
             108, 13},
        Case{"LaterPartAcrossAGapWindow", Kind::Poly,
             [] { return FarApart(kGapChunk - 3, ""); }, 108, 13},
        Case{"AtTheStartOfTheFile", Kind::Poly, [] { return Around(300, 0, "ANCHORED-PLAIN"); }, 2004, 14},
        Case{"EndingTheFile", Kind::Poly, [] { return Around(300, 300 - 14, "ANCHORED-PLAIN"); }, 2004, 14},
        Case{"CutByTheEndOfTheFile", Kind::Poly, [] { return std::string(Filler(300)) + "ANCHORED-PLAI"; }, -1, -1},
        Case{"AcrossTheFirstWindow", Kind::Poly, [] { return Around(kPolyChunk * 2, kPolyChunk - 7, "ANCHORED-PLAIN"); },
             2004, 14},
        Case{"AnchorLastInTheWindow", Kind::Poly,
             [] { return Around(kPolyChunk * 2, kPolyChunk - 1, "ANCHORED-PLAIN"); }, 2004, 14},
        Case{"AcrossTheSecondWindow", Kind::Poly,
             [] { return Around(kPolyChunk * 3, 2 * kPolyChunk - 13, "ANCHORED-PLAIN"); }, 2004, 14},
        Case{"LateAnchorAcrossAWindow", Kind::Poly,
             [] { return Around(kPolyChunk * 2, kPolyChunk - 1, "Y-LATE-ANCHOR"); }, 111, 17},
        Case{"LateAnchorChoiceMisses", Kind::Poly,
             [] { return Around(kPolyChunk * 2, kPolyChunk - 1, "Z-LATE-ANCHOR"); }, -1, -1},
        Case{"LateAnchorAtTheStart", Kind::Poly, [] { return Around(100, 0, "X-LATE-ANCHOR"); }, 111, 17},
        Case{"WildcardsAcrossAWindow", Kind::Poly,
             [] { return Around(kPolyChunk * 2, kPolyChunk - 12, "POLY-NATAS-\x01\x02-Q"); }, 20, 9},
        Case{"NothingInALargeFile", Kind::Poly, [] { return Filler(3 * kPolyChunk + 5); }, -1, -1},
        Case{"EmptyFile", Kind::Poly, [] { return std::string(); }, -1, -1}),
    CaseName);

// --- PE files --------------------------------------------------------------------

constexpr std::uint32_t kPeAt = kSamplePeHeaderAt;
constexpr std::uint32_t kTableAt = kSamplePeTableAt;

// The sample PE image (virus_samples.h): entry point at file offset 0x410,
// sections at 0x400, 0x800 and 0xC00.
std::string Pe(int sections = 3, std::uint32_t entryRva = 0x1010) { return SamplePe(sections, entryRva); }

std::string PeWith(std::size_t at, const char* marker, std::function<void(std::string&)> lie = {}) {
  std::string d = Place(Pe(), at, marker);
  if (lie) lie(d);
  return d;
}

INSTANTIATE_TEST_SUITE_P(
    Pe, SigScanCase,
    ::testing::Values(
        Case{"AtTheEntryPoint", Kind::Pe, [] { return PeWith(0x410, "PE-ENTRY-MARK"); }, 5000, 5},
        Case{"OneByteOffTheEntryPoint", Kind::Pe, [] { return PeWith(0x411, "PE-ENTRY-MARK"); }, -1, -1},
        Case{"BeforeTheEntryPoint", Kind::Pe, [] { return PeWith(0x400, "PE-BEFORE-EP"); }, 5001, 6},
        Case{"LastSectionFirstPlace", Kind::Pe, [] { return PeWith(0xC00 + 32, "PE-LAST-SECT"); }, 8000, 7},
        Case{"LastSectionLastPlace", Kind::Pe, [] { return PeWith(0xC00 + 36, "PE-LAST-SECT"); }, 8000, 7},
        Case{"LastSectionPastItsRange", Kind::Pe, [] { return PeWith(0xC00 + 37, "PE-LAST-SECT"); }, -1, -1},
        Case{"SectionOne", Kind::Pe, [] { return PeWith(0x800 + 8, "PE-SECTION-ONE"); }, 104, 8},
        Case{"SectionOneMarkerInSectionTwo", Kind::Pe, [] { return PeWith(0xC00 + 8, "PE-SECTION-ONE"); }, -1, -1},
        Case{"EntryPointInTheHeaders", Kind::Pe,
             [] { return Place(Pe(3, 0x200), 0x200, "PE-ENTRY-MARK"); }, 5000, 5},
        Case{"EntryPointInTheLastSection", Kind::Pe,
             [] { return Place(Pe(3, 0x3004), 0xC04, "PE-ENTRY-MARK"); }, 5000, 5},
        Case{"NotAPeFile", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { d[kPeAt] = 'N'; }); }, -1, -1},
        Case{"NoMzHeader", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { d[0] = 'X'; }); }, -1, -1},
        Case{"HeaderPointerPastTheEnd", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put32(d, 0x3C, 0x10000); }); }, -1, -1},
        Case{"HeaderPointerHuge", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put32(d, 0x3C, 0xFFFFFFF0); }); }, -1, -1},
        Case{"NoSections", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put16(d, kPeAt + 6, 0); }); }, -1, -1},
        Case{"MoreSectionsThanAllowed", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put16(d, kPeAt + 6, 97); }); }, -1, -1},
        Case{"OptionalHeaderSizeLies", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put16(d, kPeAt + 20, 0xFFFF); }); }, -1,
             -1},
        Case{"EntryPointInTheDosStub", Kind::Pe, [] { return Place(Pe(3, 0x40), 0x40, "PE-ENTRY-MARK"); }, 5000, 5},
        Case{"SectionTableCutOff", Kind::Pe,
             [] { return Place(Pe(3, 0x40), 0x40, "PE-ENTRY-MARK").substr(0, kTableAt + 40 * 2 + 10); }, -1, -1},
        Case{"EntryPointOutsideEverySection", Kind::Pe,
             [] { return Place(Pe(3, 0x90000), 0x410, "PE-ENTRY-MARK"); }, -1, -1},
        Case{"SectionsStillFoundWithoutAnEntryPoint", Kind::Pe,
             [] { return Place(Pe(3, 0x90000), 0x808, "PE-SECTION-ONE"); }, 104, 8},
        Case{"SectionRawOffsetPastTheEnd", Kind::Pe,
             [] {
               return PeWith(0x808, "PE-SECTION-ONE", [](std::string& d) { Put32(d, kTableAt + 40 + 20, 0x7FFFFF00); });
             },
             -1, -1},
        Case{"EntrySectionWithoutRawData", Kind::Pe,
             [] { return PeWith(0x410, "PE-ENTRY-MARK", [](std::string& d) { Put32(d, kTableAt + 16, 0); }); }, -1, -1},
        Case{"MarkerRunsPastTheEnd", Kind::Pe,
             [] { return Place(Pe(), 0x410, "PE-ENTRY-MARK").substr(0, 0x410 + 5); }, -1, -1},
        Case{"PeMarkerInAPlainFileIsNotFound", Kind::Pe, [] { return Place(Filler(5000), 0x410, "PE-ENTRY-MARK"); },
             -1, -1}),
    CaseName);

// --- One handle, four kinds, any order, any position --------------------------------

// A PE file holding one marker of each kind.
std::string EveryKind() {
  std::string d = Pe(3);
  d = Place(d, 110, "TOP-FLOAT-MARK");      // top, in the DOS stub
  d = Place(d, 0x410, "PE-ENTRY-MARK");     // PE
  d = Place(d, 0x900, "ANCHORED-PLAIN");    // polymorphic
  return d + Filler(100, 3) + "BOTTOM-END"; // bottom
}

TEST_F(SigScan, KindsGiveTheSameAnswersInAnyOrderAndLeaveThePositionAlone) {
  std::string bytes = EveryKind();
  PlantedFile sample(Folder() + "every_kind.exe", bytes);
  const std::string& path = sample.path();
  const std::vector<std::vector<Kind>> orders = {
      {Kind::Top, Kind::Bottom, Kind::Pe, Kind::Poly},  // start below 2000
      {Kind::Bottom, Kind::Top, Kind::Pe, Kind::Poly},  // start 2000 or more
      {Kind::Bottom, Kind::Pe, Kind::Poly},             // executables
      {Kind::Poly, Kind::Pe, Kind::Bottom, Kind::Top},
      {Kind::Pe, Kind::Poly, Kind::Top, Kind::Bottom}};
  const std::vector<LONGLONG> positions = {0, 17, static_cast<LONGLONG>(bytes.size() / 2),
                                           static_cast<LONGLONG>(bytes.size()),
                                           static_cast<LONGLONG>(bytes.size()) + 100};
  const std::pair<Kind, int> expected[] = {{Kind::Top, 102}, {Kind::Bottom, 2003}, {Kind::Poly, 2004}, {Kind::Pe, 5000}};
  for (const auto& order : orders) {
    for (LONGLONG position : positions) {
      HANDLE file = OpenForScan(path);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      LARGE_INTEGER at;
      at.QuadPart = position;
      SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
      for (Kind kind : order) {
        Index index{77, 77};
        RunKind(file, kind, &index);
        int want = 0;
        for (const auto& [k, id] : expected)
          if (k == kind) want = id;
        EXPECT_EQ(index.virusId, want) << KindName(kind) << " from position " << position;
        LARGE_INTEGER now, zero{};
        SetFilePointerEx(file, zero, &now, FILE_CURRENT);
        EXPECT_EQ(now.QuadPart, position) << KindName(kind) << " moved the file position";
      }
      CloseHandle(file);
    }
  }
}

// Every start around the edge of the first read window, for patterns indexed
// at their start and after it, with and without wildcards.
TEST_F(SigScan, PolymorphicPatternsAreFoundAtEveryPlaceAcrossTheWindowEdge) {
  const std::pair<std::string, int> patterns[] = {
      {"ANCHORED-PLAIN", 2004}, {"X-LATE-ANCHOR", 111}, {"POLY-NATAS-\x01\x02-Q", 20}};
  const std::string filler = Filler(kPolyChunk * 2);
  for (const auto& [pattern, id] : patterns) {
    for (std::size_t at = kPolyChunk - 24; at <= kPolyChunk + 2; ++at) {
      Index index = ScanBytes(Place(filler, at, pattern), Kind::Poly);
      EXPECT_EQ(index.virusId, id) << pattern << " at " << at;
    }
  }
}

TEST_F(SigScan, EveryKindClearsTheResultWhenItFindsNothing) {
  for (Kind kind : {Kind::Top, Kind::Bottom, Kind::Poly, Kind::Pe}) {
    Index index = ScanBytes(Filler(2000), kind);
    EXPECT_EQ(index.virusId, -1) << KindName(kind);
    EXPECT_EQ(index.recordNumber, -1) << KindName(kind);
  }
}

TEST_F(SigScan, AHandleThatIsNoFileFindsNothing) {
  for (Kind kind : {Kind::Top, Kind::Bottom, Kind::Poly, Kind::Pe}) {
    Index index{5, 5};
    RunKind(INVALID_HANDLE_VALUE, kind, &index);
    EXPECT_EQ(index.virusId, -1) << KindName(kind);
    RunKind(nullptr, kind, nullptr);  // no result record: nothing to fill, no crash
  }
}

// --- Loading indexes -----------------------------------------------------------------

std::string IndexBytes() { return ReadFileBytes(IndexPath()).value_or(""); }

struct IndexCase {
  const char* name;
  std::function<void(std::string&)> damage;
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }

class IndexLoading : public ::testing::TestWithParam<IndexCase> {};

// Where the signature section starts (the header's offset field).
std::size_t SectionAt(const std::string& d) {
  std::size_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(d[4 + i]);
  return v;
}

TEST_P(IndexLoading, ADamagedIndexIsRefusedWhole) {
  std::string bytes = IndexBytes();
  ASSERT_FALSE(bytes.empty());
  GetParam().damage(bytes);
  PlantedFile damaged(Folder() + "damaged.inx", bytes);
  const std::string& path = damaged.path();
  // A good index first, so that a refused one must also drop it.
  ASSERT_EQ(InitScan(IndexPath().c_str()), 1);
  EXPECT_EQ(InitScan(path.c_str()), 0);
  Index index = ScanBytes(Place(Filler(100), 0, "TOP-AT-ZERO-MARK"), Kind::Top);
  EXPECT_EQ(index.virusId, -1) << "signatures of the earlier index are gone";
  EndScan();
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, IndexLoading,
    ::testing::Values(
        IndexCase{"BadMagic", [](std::string& d) { d[0] = 'X'; }},
        IndexCase{"UnknownVersion", [](std::string& d) { d[2] = 2; }},
        IndexCase{"SectionOffsetBetweenRecords", [](std::string& d) { d[4] = static_cast<char>(d[4] + 1); }},
        IndexCase{"SectionOffsetPastTheEnd", [](std::string& d) { Put32(d, 4, 0x7FFFFFF0); }},
        IndexCase{"BodyByteChanged", [](std::string& d) { d[d.size() - 3] ^= 0x01; }},
        IndexCase{"CutShort", [](std::string& d) { d.resize(d.size() - 1); }},
        IndexCase{"TrailingBytes", [](std::string& d) { d += "xyz"; }},
        IndexCase{"RecordOfKindThree", [](std::string& d) { d[8] = 3; }},
        IndexCase{"RecordWithIdMinusOne", [](std::string& d) { Put16(d, 8 + 2, 0xFFFF); }},
        IndexCase{"BodyOutsideTheSection", [](std::string& d) { Put32(d, 8 + 12, 0x00FFFFFF); }},
        IndexCase{"RecordCountDisagrees", [](std::string& d) { Put32(d, SectionAt(d) + 4, 1); }},
        IndexCase{"Empty", [](std::string& d) { d.clear(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IndexLoadingPlain, MissingIndexAndScansWithoutOne) {
  EXPECT_EQ(InitScan("C:\\no such folder\\VZ.INX"), 0);
  EXPECT_EQ(InitScan(nullptr), 0);
  for (Kind kind : {Kind::Top, Kind::Bottom, Kind::Poly, Kind::Pe}) {
    Index index = ScanBytes(Place(Filler(100), 0, "TOP-AT-ZERO-MARK"), kind);
    EXPECT_EQ(index.virusId, -1) << KindName(kind);
  }
  EndScan();
  EndScan();  // twice is harmless
}

TEST(IndexLoadingPlain, TheIndexOnTheSetupMediaLoads) {
  std::string media = TestMachine::MediaFolder() + "VZ.INX";
  ASSERT_TRUE(FileExists(media)) << media;
  EXPECT_EQ(InitScan(media.c_str()), 1);
  // Its test marker: a file that starts with it is Velzor.Test.
  Index index = ScanBytes(std::string("VELZOR-HARMLESS-TEST-MARKER") + Filler(50), Kind::Top);
  EXPECT_EQ(index.virusId, 301);
  EndScan();
}

}  // namespace
