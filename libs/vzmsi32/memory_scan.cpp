// VZMSI32.DLL, the memory scan library: looks for the memory signatures of
// the signature list in the memory of every other running program.
//
//   short InitiateMemoryScan(int options)
//     0: nothing found, setup goes on.
//     otherwise the id of the signature found; setup is to be abandoned. The
//     library has then told the user which virus and program, unless
//     options has kQuiet set.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <memory>
#include <new>

#include "encoded_search.h"
#include "memory_signatures.h"

namespace {

constexpr int kQuiet = 0x1;
constexpr std::size_t kChunk = 1024 * 1024;
constexpr std::size_t kMessageCapacity = 512;
constexpr char kCaption[] = "Virus Found in Memory";

// Memory a resident virus keeps its code and data in: committed, readable,
// allocated by the program (not files mapped in, not loaded images, which the
// file scan covers).
bool WorthReading(const MEMORY_BASIC_INFORMATION& region) {
  if (region.State != MEM_COMMIT || region.Type != MEM_PRIVATE) return false;
  if (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return (region.Protect & readable) != 0;
}

struct Found {
  const vzmsi::EncodedPattern* pattern = nullptr;
  char program[MAX_PATH] = "";
};

const vzmsi::EncodedPattern* ScanProcess(HANDLE process, const vzmsi::EncodedSearch& search, std::uint8_t* buffer) {
  const std::size_t overlap = search.LongestPattern() - 1;
  std::uintptr_t address = 0;
  MEMORY_BASIC_INFORMATION region;
  while (VirtualQueryEx(process, reinterpret_cast<LPCVOID>(address), &region, sizeof region) == sizeof region) {
    std::uintptr_t base = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
    std::uintptr_t end = base + region.RegionSize;
    if (end <= address) break;  // wrapped around: the end of the address space
    if (WorthReading(region)) {
      for (std::uintptr_t at = base; at < end; at += kChunk) {
        std::size_t starts = static_cast<std::size_t>(end - at < kChunk ? end - at : kChunk);
        std::size_t want = starts + overlap;
        if (want > end - at) want = static_cast<std::size_t>(end - at);
        SIZE_T got = 0;
        if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(at), buffer, want, &got) || got == 0) continue;
        if (const vzmsi::EncodedPattern* p = search.Find(buffer, starts < got ? starts : got, got)) return p;
      }
    }
    address = end;
  }
  return nullptr;
}

void Report(const Found& found) {
  char text[kMessageCapacity];
  std::snprintf(text, sizeof text,
                "The virus %s is active in the memory of the running program %s.\n\n"
                "Setup cannot safely install Velzor anti-virus while the virus is active. Turn off the "
                "computer, start it from a clean, write-protected system diskette, and scan your drives "
                "before you run Setup again.",
                found.pattern->name, found.program);
  MessageBoxA(GetActiveWindow(), text, kCaption, MB_OK | MB_ICONSTOP);
}

std::int16_t ScanMemory(int options) {
  static vzmsi::EncodedPattern patterns[vzmem::kMemorySignatureCount > 0 ? vzmem::kMemorySignatureCount : 1];
  for (int n = 0; n < vzmem::kMemorySignatureCount; ++n) {
    const auto& s = vzmem::kMemorySignatures[n];
    patterns[n] = {s.id, s.name, s.length, s.encoded};
  }
  vzmsi::EncodedSearch search(patterns, vzmem::kMemorySignatureCount, vzmem::kMemoryKey);
  if (search.LongestPattern() == 0) return 0;
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kChunk + search.LongestPattern()]);
  if (!buffer) return 0;

  // Without a list of programs there is nothing to scan: setup goes on.
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  Found found;
  const DWORD self = GetCurrentProcessId();
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more && !found.pattern; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;  // never itself
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
    if (!process) continue;  // a program we may not read is skipped
    found.pattern = ScanProcess(process, search, buffer.get());
    if (found.pattern) std::snprintf(found.program, sizeof found.program, "%s", entry.szExeFile);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  if (!found.pattern) return 0;
  if (!(options & kQuiet)) Report(found);
  return found.pattern->id;
}

}  // namespace

extern "C" __declspec(dllexport) short InitiateMemoryScan(int options) {
  try {
    return ScanMemory(options);
  } catch (...) {
    return 0;  // out of memory: nothing could be scanned
  }
}
