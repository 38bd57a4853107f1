// Naming the viruses the system file scan finds, and telling the user.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "prescan/system_scan.h"
#include "services/filewrap.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr char kIndexFileName[] = "VZ.INX";
constexpr std::size_t kIndexHeaderSize = 8;
constexpr std::size_t kIndexRecordSize = 40;
constexpr std::size_t kIndexNameAt = 24;
constexpr std::size_t kIndexNameField = 16;
constexpr unsigned char kIndexNameShift = 60;  // each stored name byte is the name's + 60

constexpr char kMessageFormat[] =
    "Found strains of %s in %s.\nBecause the virus is not currently active, Setup can safely install Velzor "
    "anti-virus on your computer. After installation completes, scan your drives to eliminate the virus.\n\n"
    "Click OK to continue.";
constexpr std::size_t kMessageFixedLength = sizeof kMessageFormat - 1 - 4;  // without the two "%s"
constexpr char kElision[] = "...";

// Shown when neither a table nor the index can name the virus.
constexpr char kUnknownVirusName[] = "an unknown virus";

constexpr const char* kSeries2000[kSeries2000Count] = {
    "Invisible",     "Inferno (T-Rex)", "Dir.Byway",      "OneHalf",         "Natas",
    "Junkie.1027",   "Avispa.2048",     "ScreamingFist.696", "Desperado.2403", "Vampiro.1000",
    "Predator.2448", "Tequila.2468",    "Flip.2343",      "Flip.2153",       "Tremor.4000",
    "FileDate.570",  "Ontario.1024",    "Fish.3584",      "Maltes Amoeba",   "Arianna.3375",
    "NoFrills.Dudely", "V2PX",          "Haifa.2354",     "Manzon",          "Campana",
    "Lazarus.2222",  "HLLC.Evenbeeper", "Spanska.4250",   "Batman.3372",     "HLL.Crawen",
};
constexpr const char* kSeries8000[kSeries8000Count] = {"Cabanas.3000"};

}  // namespace

int FillVirusNameTables() {
  for (int i = 0; i < kSeries2000Count; ++i) CopyText(g_series2000Names[i], kSeries2000[i]);
  for (int i = 0; i < kSeries8000Count; ++i) CopyText(g_series8000Names[i], kSeries8000[i]);
  return 1;
}

const char* BuiltInVirusName(short kind, short virusId) {
  if (kind == kScanTop) return nullptr;
  if (virusId >= kSeries8000First)
    return virusId - kSeries8000First < kSeries8000Count ? g_series8000Names[virusId - kSeries8000First] : nullptr;
  if (virusId >= kSeries5000First)
    return virusId - kSeries5000First < kSeries5000Count ? kSeries5000[virusId - kSeries5000First].name : nullptr;
  if (virusId >= kSeries2000First)
    return virusId - kSeries2000First < kSeries2000Count ? g_series2000Names[virusId - kSeries2000First] : nullptr;
  if (virusId == 20) return "Natas";
  if (virusId == 16) return "OneHalf";
  return nullptr;
}

int ReadSignatureNameFrom(const char* indexPath, short recordNumber, char (&name)[kVirusNameCapacity]) {
  if (recordNumber < 0) return 0;
  FileHandle file = my_open(indexPath, kOpenBinaryRead, kPermissionRead);
  if (file == kOpenFailed) return 0;
  int32_t at = static_cast<int32_t>(recordNumber * kIndexRecordSize + kIndexHeaderSize);
  unsigned char record[kIndexRecordSize];
  bool ok = my_lseek(file, at, 0) == at &&
            my_read(file, record, kIndexRecordSize) == static_cast<int>(kIndexRecordSize);
  my_close(file);
  if (!ok) return 0;
  // The name ends at its zero byte, or with the field when it has none.
  static_assert(kIndexNameField < kVirusNameCapacity);
  std::size_t length = 0;
  for (; length < kIndexNameField; ++length) {
    char c = static_cast<char>(record[kIndexNameAt + length] - kIndexNameShift);
    if (c == '\0') break;
    name[length] = c;
  }
  name[length] = '\0';
  return length > 0 ? 1 : 0;  // an empty field names nothing
}

bool IndexPath(char (&path)[kPathCapacity]) {
  path[0] = '\0';
  GetModuleDirectory(path, static_cast<int>(kPathCapacity));
  path[kPathCapacity - 1] = '\0';
  return AppendText(path, kIndexFileName);  // a cut path would name another file
}

int ReadSignatureName(short recordNumber, char (&name)[kVirusNameCapacity]) {
  char path[kPathCapacity];
  if (!IndexPath(path)) return 0;
  return ReadSignatureNameFrom(path, recordNumber, name);
}

void ComposeVirusMessage(char (&message)[kVirusMessageCapacity], const char* name, const char* path) {
  char shownName[kVirusNameCapacity];
  CopyText(shownName, name);
  // Room left for the path once the fixed text and the name are in.
  std::size_t room = kVirusMessageCapacity - 1 - kMessageFixedLength - std::strlen(shownName);
  char shownPath[kPathCapacity];
  std::size_t pathLength = std::strlen(path);
  if (pathLength <= room && pathLength < sizeof shownPath) {
    CopyText(shownPath, path);
  } else {
    // Keep the drive and first folders and the file's end: "C:\WIN...\FILE.EXE".
    std::size_t keep = (room < sizeof shownPath ? room : sizeof shownPath - 1) - (sizeof kElision - 1);
    std::size_t head = keep / 3;
    std::size_t tail = keep - head;
    std::memcpy(shownPath, path, head);
    std::memcpy(shownPath + head, kElision, sizeof kElision - 1);
    std::memcpy(shownPath + head + sizeof kElision - 1, path + pathLength - tail, tail);
    shownPath[head + sizeof kElision - 1 + tail] = '\0';
  }
  std::snprintf(message, sizeof message, kMessageFormat, shownName, shownPath);
}

void ReportVirus(short virusId, short kind, const char* path, short recordNumber) {
  char name[kVirusNameCapacity] = "";
  if (const char* builtIn = BuiltInVirusName(kind, virusId)) {
    CopyText(name, builtIn);
  } else if (!ReadSignatureName(recordNumber, name)) {
    CopyText(name, kUnknownVirusName);
  }
  char message[kVirusMessageCapacity];
  ComposeVirusMessage(message, name, path);
  MessageBoxA(GetActiveWindow(), message, "Virus Found", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace vz
