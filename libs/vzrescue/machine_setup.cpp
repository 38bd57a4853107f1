// CMOS.INF: what the machine's setup memory holds, as far as the system lets
// a program see it: the clock, the diskette drives, the hard disks, the
// memory size, the processor, and the firmware's own description of itself
// (the SMBIOS tables) where the system offers them.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <vector>

#include "inf_text.h"
#include "rescue_files.h"

namespace rescue {

namespace {

constexpr int kMaxPhysicalDisks = 8;
constexpr DWORD kSmbiosSignature = 0x52534D42;  // 'RSMB'
constexpr std::size_t kSmbiosKeptBytes = 4096;  // enough for the BIOS and system entries
constexpr std::size_t kSmbiosHeaderBytes = 8;   // RawSMBIOSData before the tables

using GetSystemFirmwareTableProc = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);

void Clock(InfText& inf) {
  inf.Section("Clock");
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  inf.Text("Date", text);
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  inf.Text("Time", text);
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  inf.Text("BiasMinutes", std::to_string(zone.Bias));
}

void Diskettes(InfText& inf) {
  inf.Section("Diskettes");
  DWORD drives = GetLogicalDrives();
  for (char letter : {'A', 'B'}) {
    char root[] = {letter, ':', '\\', '\0'};
    char key[] = {letter, '\0'};
    bool present = (drives & (1u << (letter - 'A'))) != 0;
    inf.Text(key, !present ? "none" : GetDriveTypeA(root) == DRIVE_REMOVABLE ? "removable" : "other");
  }
}

void HardDisks(InfText& inf) {
  inf.Section("HardDisks");
  int count = 0;
  for (int n = 0; n < kMaxPhysicalDisks; ++n) {
    std::string device = "\\\\.\\PhysicalDrive" + std::to_string(n);
    HANDLE disk = CreateFileA(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (disk == INVALID_HANDLE_VALUE) continue;
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    char value[96] = "unreadable";
    if (DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned,
                        nullptr))
      std::snprintf(value, sizeof value, "%llu/%lu/%lu/%lu", static_cast<unsigned long long>(geometry.Cylinders.QuadPart),
                    static_cast<unsigned long>(geometry.TracksPerCylinder),
                    static_cast<unsigned long>(geometry.SectorsPerTrack),
                    static_cast<unsigned long>(geometry.BytesPerSector));
    CloseHandle(disk);
    char key[16];
    std::snprintf(key, sizeof key, "Disk%d", n);
    inf.Text(key, value);  // cylinders/heads/sectors per track/bytes per sector
    ++count;
  }
  inf.Number("Count", count);
}

void Memory(InfText& inf) {
  inf.Section("Memory");
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) inf.Number("TotalKB", status.ullTotalPhys / 1024);
  else inf.Unreadable(GetLastError());
}

void Processor(InfText& inf) {
  inf.Section("Processor");
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  inf.Number("Architecture", info.wProcessorArchitecture);
  inf.Number("Count", info.dwNumberOfProcessors);
  inf.Number("Level", info.wProcessorLevel);
  inf.Number("Revision", info.wProcessorRevision);
}

// The n-th string (from 1) of an SMBIOS structure, whose strings follow its formatted area.
std::string SmbiosString(const unsigned char* structure, const unsigned char* end, unsigned n) {
  if (n == 0) return {};
  const unsigned char* p = structure + structure[1];
  for (unsigned i = 1; p < end && *p; ++i) {
    const unsigned char* start = p;
    while (p < end && *p) ++p;
    if (i == n) return std::string(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
    ++p;
  }
  return {};
}

// The BIOS entry (type 0) of the SMBIOS tables: vendor, version, release date.
void BiosEntry(InfText& inf, const unsigned char* tables, std::size_t size) {
  const unsigned char* p = tables;
  const unsigned char* end = tables + size;
  while (p + 4 <= end && p[1] >= 4 && p + p[1] <= end) {
    if (p[0] == 0 && p[1] >= 9) {
      inf.Text("BiosVendor", SmbiosString(p, end, p[4]));
      inf.Text("BiosVersion", SmbiosString(p, end, p[5]));
      inf.Text("BiosDate", SmbiosString(p, end, p[8]));
      return;
    }
    if (p[0] == 127) return;  // end of table
    const unsigned char* next = p + p[1];
    while (next + 1 < end && !(next[0] == 0 && next[1] == 0)) ++next;
    p = next + 2;
  }
}

void Firmware(InfText& inf) {
  inf.Section("Firmware");
  auto getTable = reinterpret_cast<GetSystemFirmwareTableProc>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemFirmwareTable"));
  if (!getTable) {
    inf.Unreadable(ERROR_CALL_NOT_IMPLEMENTED);
    return;
  }
  UINT size = getTable(kSmbiosSignature, 0, nullptr, 0);
  if (size <= kSmbiosHeaderBytes) {
    inf.Unreadable(GetLastError());
    return;
  }
  std::vector<unsigned char> data(size);
  if (getTable(kSmbiosSignature, 0, data.data(), size) != size) {
    inf.Unreadable(GetLastError());
    return;
  }
  const unsigned char* tables = data.data() + kSmbiosHeaderBytes;
  std::size_t tableBytes = size - kSmbiosHeaderBytes;
  std::size_t kept = tableBytes < kSmbiosKeptBytes ? tableBytes : kSmbiosKeptBytes;
  inf.Bytes(tables, kept);
  inf.Number("TableBytes", tableBytes);
  BiosEntry(inf, tables, tableBytes);
}

}  // namespace

std::string MachineSetup() {
  InfText inf;
  inf.Header("CMOS.INF", SystemDriveLetter());
  Clock(inf);
  Diskettes(inf);
  HardDisks(inf);
  Memory(inf);
  Processor(inf);
  Firmware(inf);
  return inf.Str();
}

}  // namespace rescue
