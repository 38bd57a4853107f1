#include "scanner.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "product_common.h"
#include "services/sigscan.h"

namespace vz32 {

namespace {

constexpr char kSignatureLibrary[] = "SIGSCAN.dll";
constexpr char kSignatureIndex[] = "VZ.INX";
constexpr char kProgramExtensions[] = ".EXE.COM.DLL.DRV.OVR.OVL.SYS.";
constexpr int kMaxDepth = 32;  // folder levels below a scanned item; guards against link loops

// Signature index records: an 8-byte header, then 40-byte records whose bytes
// 24 to 39 hold the virus name, each byte stored plus 60.
constexpr long kIndexHeaderSize = 8;
constexpr long kIndexRecordSize = 40;
constexpr int kNameOffset = 24;
constexpr int kNameSize = 16;
constexpr unsigned char kNameBias = 60;

constexpr std::size_t kLineCapacity = 400;

}  // namespace

struct Scanner::Library {
  HMODULE module = nullptr;
  decltype(&InitScan) init = nullptr;
  decltype(&EndScan) end = nullptr;
  decltype(&ScanTopViruses) kinds[4] = {};
  char indexPath[vzp::kPathCapacity] = "";
  bool ready = false;

  Library() {
    char path[vzp::kPathCapacity];
    if (!vzp::FileBeside(path, kSignatureLibrary) || !vzp::FileBeside(indexPath, kSignatureIndex)) return;
    module = LoadLibraryA(path);
    if (!module) return;
    init = reinterpret_cast<decltype(init)>(GetProcAddress(module, "InitScan"));
    end = reinterpret_cast<decltype(end)>(GetProcAddress(module, "EndScan"));
    const char* names[4] = {"ScanTopViruses", "ScanBottViruses", "ScanPEViruses", "ScanPolyViruses"};
    for (int i = 0; i < 4; ++i) {
      kinds[i] = reinterpret_cast<decltype(&ScanTopViruses)>(GetProcAddress(module, names[i]));
      if (!kinds[i]) return;
    }
    ready = init && end && init(indexPath) == 1;
  }

  ~Library() {
    if (ready) end();
    if (module) FreeLibrary(module);
  }

  // The name kept in a record of the signature index, or false.
  bool RecordName(int record, char* name, std::size_t capacity) const {
    if (record < 0) return false;
    HANDLE f = CreateFileA(indexPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    unsigned char bytes[kIndexRecordSize];
    DWORD got = 0;
    bool ok = SetFilePointer(f, kIndexHeaderSize + record * kIndexRecordSize, nullptr, FILE_BEGIN) !=
                  INVALID_SET_FILE_POINTER &&
              ReadFile(f, bytes, sizeof bytes, &got, nullptr) && got == sizeof bytes;
    CloseHandle(f);
    if (!ok) return false;
    char decoded[kNameSize + 1];
    for (int i = 0; i < kNameSize; ++i) decoded[i] = static_cast<char>(bytes[kNameOffset + i] - kNameBias);
    decoded[kNameSize] = '\0';
    if (decoded[0] == '\0') return false;
    vz::CopyText(name, capacity, decoded);  // names have at most 15 characters
    return true;
  }
};

bool IsProgramFileName(const char* name) { return vzp::HasExtensionIn(name, kProgramExtensions); }

Scanner::Scanner(ReportLine report, void* context) : report_(report), context_(context), library_(new Library) {
  totals_.checked = library_->ready;
  if (!totals_.checked)
    Report("The signature scanner (SIGSCAN.dll with VZ.INX) was not found: files are listed, not checked.");
}

Scanner::~Scanner() { delete library_; }

bool Scanner::Report(const char* line) {
  if (totals_.stopped) return false;
  if (!report_(line, context_)) totals_.stopped = true;
  return !totals_.stopped;
}

void Scanner::ScanAllDrives() {
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26 && !totals_.stopped; ++i) {
    if (!(drives & (1u << i))) continue;
    char root[vzp::kPathCapacity] = "?:\\";
    root[0] = static_cast<char>('A' + i);
    if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
    char line[kLineCapacity];
    std::snprintf(line, sizeof line, "Scanning drive %c:", root[0]);
    if (!Report(line)) break;
    ScanFolder(root, sizeof root, 0);
  }
}

void Scanner::ScanItem(const char* path) {
  char item[vzp::kPathCapacity];
  if (!vz::CopyText(item, path) || item[0] == '\0') {
    Report("Nothing to scan: the path is empty or too long.");
    return;
  }
  DWORD attributes = GetFileAttributesA(item);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    char line[kLineCapacity];
    std::snprintf(line, sizeof line, "%s: no such file or folder.", item);
    Report(line);
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ScanFile(item);
    return;
  }
  if (!vz::EnsureTrailingBackslash(item)) return;
  ScanFolder(item, sizeof item, 0);
}

// Scans the folder (ending with a backslash) and its subfolders; the buffer
// is used as work space and holds the folder again when this returns.
void Scanner::ScanFolder(char* folder, std::size_t capacity, int depth) {
  std::size_t length = std::strlen(folder);
  if (!vz::AppendText(folder, capacity, "*.*")) {
    folder[length] = '\0';
    return;
  }
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(folder, &entry);
  folder[length] = '\0';
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!std::strcmp(entry.cFileName, ".") || !std::strcmp(entry.cFileName, "..")) continue;
    bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && (depth >= kMaxDepth || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) continue;
    if (!isFolder && !IsProgramFileName(entry.cFileName)) continue;
    if (vz::AppendText(folder, capacity, entry.cFileName)) {
      if (!isFolder) ScanFile(folder);
      else if (vz::EnsureTrailingBackslash(folder, capacity)) ScanFolder(folder, capacity, depth + 1);
    }
    folder[length] = '\0';
  } while (!totals_.stopped && FindNextFileA(search, &entry));
  FindClose(search);
}

void Scanner::ScanFile(const char* path) {
  char line[kLineCapacity];
  ++totals_.files;
  if (!library_->ready) {
    std::snprintf(line, sizeof line, "%s", path);
    Report(line);
    return;
  }
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::snprintf(line, sizeof line, "%s: could not be opened.", path);
    Report(line);
    return;
  }
  Index found{0, -1};
  for (auto* scan : library_->kinds) {
    Index index{0, -1};
    scan(file, &index);
    if (index.virusId != -1) {
      found = index;
      break;
    }
  }
  CloseHandle(file);
  if (found.virusId == -1) {
    std::snprintf(line, sizeof line, "%s: clean.", path);
  } else {
    ++totals_.infected;
    char name[kNameSize + 1];
    if (library_->RecordName(found.recordNumber, name, sizeof name))
      std::snprintf(line, sizeof line, "%s: infected with %s.", path, name);
    else
      std::snprintf(line, sizeof line, "%s: infected (virus %d).", path, found.virusId);
  }
  Report(line);
}

}  // namespace vz32
