// scanbench.exe: the benchmark's driver. Scans a list of files with
// SIGSCAN.dll exactly as the setup helper's system file scan does (file type
// and start from misc.dll, the scan kinds in the helper's order, stopping at
// the first finding) and prints each finding and the time spent.
//
//   scanbench.exe INDEX FILE_LIST      (FILE_LIST: one Windows path a line)
//   scanbench.exe --memory             the memory scan library, three times
//
// Output: "found <path> <virus id>" lines, then
//   "files <n> bytes <n> init_s <seconds> scan_s <seconds>";
// with --memory: "memory_s <s1> <s2> <s3> result <n>".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "prescan/system_scan.h"
#include "services/misc.h"
#include "services/sigscan.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The helper's order of scan kinds for this file; the first finding ends it.
int ScanOne(HANDLE file) {
  short type = CheckFileType(file);
  vz::ScanKinds order = vz::ScanKindsFor(type, GetVirExeStart(file, type));
  for (std::size_t i = 0; i < order.count; ++i) {
    Index index{-1, -1};
    switch (order.kinds[i]) {
      case vz::kScanTop: ScanTopViruses(file, &index); break;
      case vz::kScanBottom: ScanBottViruses(file, &index); break;
      case vz::kScanPolymorphic: ScanPolyViruses(file, &index); break;
      default: ScanPEViruses(file, &index); break;
    }
    if (index.virusId != -1) return index.virusId;
  }
  return -1;
}

// InitiateMemoryScan as the helper calls it, but quiet: the time it takes.
int TimeMemoryScan() {
  HMODULE library = LoadLibraryA("VZMSI32.DLL");
  auto scan = library ? reinterpret_cast<short (*)(int)>(GetProcAddress(library, "InitiateMemoryScan")) : nullptr;
  if (!scan) {
    std::fprintf(stderr, "scanbench: no VZMSI32.DLL\n");
    return 1;
  }
  constexpr int kQuiet = 1;
  short result = 0;
  std::printf("memory_s");
  for (int i = 0; i < 3; ++i) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    result = scan(kQuiet);
    QueryPerformanceCounter(&t1);
    std::printf(" %.4f", Seconds(t0, t1));
  }
  std::printf(" result %d\n", result);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--memory") == 0) return TimeMemoryScan();
  if (argc != 3) {
    std::fprintf(stderr, "usage: scanbench INDEX FILE_LIST | scanbench --memory\n");
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
