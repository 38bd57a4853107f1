// DOTBK.EXE, the keeper of Word's global template. The setup enters it in the
// Run key, so it runs at each start of Windows, without a window. The setup
// left beside it VZFW.INI, whose [WORD] "Global Template" names Word's global
// template, and VZNORM.QOT, a copy of that template as the protection made it.
//
//   DOTBK.EXE           checks the global template against the copy: a missing
//                       template is put back; a changed one (a macro virus
//                       writes itself into it) is kept as VZNORM.CHG and the
//                       copy put back; no copy yet: one is taken
//   DOTBK.EXE /backup   takes a new copy of the global template as it is (after
//                       the user changed it on purpose)
//
// What it did is recorded in VZFW.INI, section [DOTBK]: "Last Check" (date and
// time) and "Last Result" (unchanged, restored, replaced, backed up, no record,
// no template, failed). Exit code 0, or 1 when it failed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kRecordName[] = "VZFW.INI";
constexpr char kBackupName[] = "VZNORM.QOT";
constexpr char kChangedName[] = "VZNORM.CHG";
constexpr DWORD kTemplateCapacity = 260;

std::string OwnFolder() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length < sizeof path ? length : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool Exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Compares two files byte for byte; false also when either cannot be read.
bool SameContents(const std::string& a, const std::string& b) {
  HANDLE fa = CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE fb = CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  bool same = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE;
  if (same) same = GetFileSize(fa, nullptr) == GetFileSize(fb, nullptr);
  static char bufferA[65536], bufferB[65536];
  while (same) {
    DWORD gotA = 0, gotB = 0;
    if (!ReadFile(fa, bufferA, sizeof bufferA, &gotA, nullptr) || !ReadFile(fb, bufferB, sizeof bufferB, &gotB, nullptr)) {
      same = false;
      break;
    }
    if (gotA != gotB || std::memcmp(bufferA, bufferB, gotA) != 0) same = false;
    if (gotA == 0) break;
  }
  if (fa != INVALID_HANDLE_VALUE) CloseHandle(fa);
  if (fb != INVALID_HANDLE_VALUE) CloseHandle(fb);
  return same;
}

bool Copy(const std::string& from, const std::string& to) {
  SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

void Record(const std::string& record, const char* result) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  WritePrivateProfileStringA("DOTBK", "Last Check", stamp, record.c_str());
  WritePrivateProfileStringA("DOTBK", "Last Result", result, record.c_str());
}

const char* Check(const std::string& folder, const std::string& globalTemplate, bool takeBackup) {
  std::string backup = folder + kBackupName;
  if (takeBackup || !Exists(backup)) {
    if (!Exists(globalTemplate)) return "no template";
    return Copy(globalTemplate, backup) ? "backed up" : "failed";
  }
  if (!Exists(globalTemplate)) return Copy(backup, globalTemplate) ? "restored" : "failed";
  if (SameContents(globalTemplate, backup)) return "unchanged";
  // Changed since the copy was taken: keep the changed one, put the copy back.
  if (!Copy(globalTemplate, folder + kChangedName)) return "failed";
  return Copy(backup, globalTemplate) ? "replaced" : "failed";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string folder = OwnFolder();
  std::string record = folder + kRecordName;
  if (!Exists(record)) return 0;  // the protection was never installed here
  char globalTemplate[kTemplateCapacity] = "";
  GetPrivateProfileStringA("WORD", "Global Template", "", globalTemplate, sizeof globalTemplate, record.c_str());
  const char* result = "no record";
  if (globalTemplate[0] != '\0') result = Check(folder, globalTemplate, _strnicmp(commandLine, "/backup", 7) == 0);
  Record(record, result);
  return std::strcmp(result, "failed") == 0 ? 1 : 0;
}
