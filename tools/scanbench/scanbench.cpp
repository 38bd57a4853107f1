// scanbench.exe: the benchmark's driver. Scans a list of files with
// SIGSCAN.dll exactly as the setup helper's system file scan does (file type
// and start from misc.dll, the scan kinds in the helper's order, stopping at
// the first finding) and prints each finding and the time spent.
//
//   scanbench.exe INDEX FILE_LIST      (FILE_LIST: one Windows path a line)
//
// Output: "found <path> <virus id>" lines, then
//   "files <n> bytes <n> init_s <seconds> scan_s <seconds>".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "services/misc.h"
#include "services/sigscan.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

using ScanFunction = void (*)(HANDLE, Index*);

int ScanOne(HANDLE file) {
  short type = CheckFileType(file);
  int32_t start = GetVirExeStart(file, type);
  static const ScanFunction executable[] = {ScanBottViruses, ScanPEViruses, ScanPolyViruses};
  static const ScanFunction early[] = {ScanTopViruses, ScanBottViruses, ScanPEViruses, ScanPolyViruses};
  static const ScanFunction late[] = {ScanBottViruses, ScanTopViruses, ScanPEViruses, ScanPolyViruses};
  const ScanFunction* order = early;
  int kinds = 4;
  if (type == 1 || type == 2) {
    order = executable;
    kinds = 3;
  } else if (start >= 2000) {
    order = late;
  }
  for (int i = 0; i < kinds; ++i) {
    Index index{-1, -1};
    order[i](file, &index);
    if (index.virusId != -1) return index.virusId;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: scanbench INDEX FILE_LIST\n");
    return 2;
  }
  std::vector<std::string> paths;
  if (FILE* list = std::fopen(argv[2], "r")) {
    char line[1024];
    while (std::fgets(line, sizeof line, list)) {
      line[std::strcspn(line, "\r\n")] = '\0';
      if (line[0]) paths.emplace_back(line);
    }
    std::fclose(list);
  }
  LARGE_INTEGER t0, t1, t2;
  QueryPerformanceCounter(&t0);
  if (InitScan(argv[1]) != 1) {
    std::fprintf(stderr, "scanbench: cannot load %s\n", argv[1]);
    return 1;
  }
  QueryPerformanceCounter(&t1);
  unsigned long long bytes = 0;
  std::vector<std::pair<std::string, int>> found;
  for (const auto& path : paths) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size)) bytes += static_cast<unsigned long long>(size.QuadPart);
    int id = ScanOne(file);
    CloseHandle(file);
    if (id != -1) found.emplace_back(path, id);
  }
  QueryPerformanceCounter(&t2);
  EndScan();
  for (const auto& [path, id] : found) std::printf("found %s %d\n", path.c_str(), id);
  std::printf("files %zu bytes %llu init_s %.4f scan_s %.4f\n", paths.size(), bytes, Seconds(t0, t1), Seconds(t1, t2));
  return 0;
}
