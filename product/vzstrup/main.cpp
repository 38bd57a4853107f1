// VZSTRUP.EXE, Velzor's start-up checker.
//   VZSTRUP.EXE /INIT /REBUILD  writes VZCHK.INF anew from the program files
//                               of its folder; no window, exit code 0 when written
//   VZSTRUP.EXE                 compares the program files with VZCHK.INF and
//                               tells the user about every file changed, missing
//                               or added since; silent when all are as recorded
// Any command line holding /REBUILD rebuilds.
#include <windows.h>

#include <cstring>
#include <vector>

#include "check_file.h"
#include "product_common.h"

namespace {

constexpr char kCheckFileName[] = "VZCHK.INF";
constexpr char kRebuildSwitch[] = "/REBUILD";
constexpr char kCaption[] = "Velzor Start-up Check";
constexpr char kFilesSection[] = "[Files]";
constexpr std::size_t kLineCapacity = 400;
constexpr std::size_t kReportCapacity = 2000;
constexpr int kReportLines = 20;  // files named in the message; the rest are counted

using vzstrup::FileMark;

bool ContainsNoCase(const char* text, const char* part) {
  for (std::size_t n = std::strlen(part); *text; ++text)
    if (_strnicmp(text, part, n) == 0) return true;
  return false;
}

// Calls visit(folder path of the file, its upper-case name) for every checked file beside the program.
template <typename Visit>
void ForEachProgramFile(Visit visit) {
  char pattern[vzp::kPathCapacity];
  if (!vzp::FileBeside(pattern, "*.*")) return;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!vzstrup::IsCheckedName(entry.cFileName)) continue;
    char path[vzp::kPathCapacity];
    if (!vzp::FileBeside(path, entry.cFileName)) continue;
    char name[vzstrup::kNameCapacity];
    vz::CopyText(name, entry.cFileName);
    vz::UpperText(name);
    visit(path, name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

bool WriteLine(HANDLE file, const char* line) {
  DWORD written = 0;
  DWORD length = static_cast<DWORD>(std::strlen(line));
  return WriteFile(file, line, length, &written, nullptr) && written == length &&
         WriteFile(file, "\r\n", 2, &written, nullptr) && written == 2;
}

int Rebuild() {
  char checkPath[vzp::kPathCapacity];
  if (!vzp::FileBeside(checkPath, kCheckFileName)) return 1;
  SetFileAttributesA(checkPath, FILE_ATTRIBUTE_NORMAL);
  HANDLE out = CreateFileA(checkPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  bool ok = WriteLine(out, "; Velzor start-up check file: the program files of this folder as installed.") &&
            WriteLine(out, "; NAME=SIZE,CRC-32") && WriteLine(out, kFilesSection);
  ForEachProgramFile([&](const char* path, const char* name) {
    FileMark mark;
    vz::CopyText(mark.name, name);
    char line[kLineCapacity];
    if (vzstrup::MarkFile(path, &mark) && vzstrup::FormatMark(mark, line, sizeof line)) ok = WriteLine(out, line) && ok;
  });
  CloseHandle(out);
  return ok ? 0 : 1;
}

// The files VZCHK.INF records; false when it cannot be read.
bool LoadRecordedFiles(std::vector<FileMark>* marks) {
  char checkPath[vzp::kPathCapacity];
  if (!vzp::FileBeside(checkPath, kCheckFileName)) return false;
  HANDLE in = CreateFileA(checkPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  char line[kLineCapacity];
  std::size_t used = 0;
  auto endLine = [&] {
    line[used] = '\0';
    FileMark mark;
    if (vzstrup::ParseMark(line, &mark)) marks->push_back(mark);
    used = 0;
  };
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(in, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) {
      if (chunk[i] == '\n') endLine();
      else if (chunk[i] != '\r' && used + 1 < sizeof line) line[used++] = chunk[i];
    }
  }
  if (used) endLine();
  CloseHandle(in);
  return true;
}

struct Report {
  char text[kReportCapacity] = "";
  int lines = 0;
  int more = 0;

  void Add(const char* name, const char* what) {
    if (lines == kReportLines) { ++more; return; }
    ++lines;
    vz::AppendText(text, "\n  ");
    vz::AppendText(text, name);
    vz::AppendText(text, what);
  }
};

int Check() {
  std::vector<FileMark> recorded;
  if (!LoadRecordedFiles(&recorded)) {
    MessageBoxA(nullptr,
                "The start-up check file VZCHK.INF is missing, so the program files of Velzor cannot be checked.\n\n"
                "Run VZSTRUP.EXE /INIT /REBUILD to record them again.",
                kCaption, MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  Report report;
  for (const FileMark& was : recorded) {
    char path[vzp::kPathCapacity];
    FileMark now;
    if (!vzp::FileBeside(path, was.name) || !vzp::PathExists(path)) report.Add(was.name, ": missing");
    else if (!vzstrup::MarkFile(path, &now) || now.size != was.size || now.crc != was.crc) report.Add(was.name, ": changed");
  }
  ForEachProgramFile([&](const char*, const char* name) {
    for (const FileMark& was : recorded)
      if (_stricmp(was.name, name) == 0) return;
    report.Add(name, ": added");
  });
  if (report.lines == 0) return 0;
  char message[kReportCapacity + 300] = "These program files of Velzor are not as they were installed:\n";
  vz::AppendText(message, report.text);
  if (report.more) {
    char more[64];
    wsprintfA(more, "\n  ... and %d more", report.more);
    vz::AppendText(message, more);
  }
  vz::AppendText(message, "\n\nA virus may have changed them. Scan your computer with Velzor, and install Velzor again "
                          "to restore the files.");
  MessageBoxA(nullptr, message, kCaption, MB_OK | MB_ICONEXCLAMATION);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine && ContainsNoCase(commandLine, kRebuildSwitch)) return Rebuild();
  return Check();
}
