// PART.INF and BOOT.INF: the system disk's geometry, master boot record and
// partitions, and the system volume with its boot sector. Each part the
// system does not let us read is recorded as unreadable with its error.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "inf_text.h"
#include "rescue_files.h"

namespace rescue {

namespace {

constexpr DWORD kSectorBytes = 512;
constexpr std::size_t kLayoutBufferBytes = 16 * 1024;

class Device {
 public:
  explicit Device(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr)),
        error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0) {}
  ~Device() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD OpenError() const { return error_; }

  // The first sector; error code in *error when it cannot be read.
  bool FirstSector(unsigned char (&sector)[kSectorBytes], DWORD* error) const {
    DWORD got = 0;
    if (ReadFile(handle_, sector, kSectorBytes, &got, nullptr) && got == kSectorBytes) return true;
    *error = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
    return false;
  }

  template <typename T> bool Control(DWORD code, T* out, DWORD size, DWORD* error) const {
    DWORD returned = 0;
    if (DeviceIoControl(handle_, code, nullptr, 0, out, size, &returned, nullptr)) return true;
    *error = GetLastError();
    return false;
  }

 private:
  HANDLE handle_;
  DWORD error_;
};

std::string VolumeDevice() {
  char path[] = {'\\', '\\', '.', '\\', SystemDriveLetter(), ':', '\0'};
  return path;
}

void Geometry(InfText& inf, const Device& disk) {
  DISK_GEOMETRY geometry{};
  DWORD error = 0;
  if (!disk.Control(IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry, &error)) {
    inf.Unreadable(error);
    return;
  }
  inf.Text("Read", "1");
  inf.Number("Cylinders", static_cast<unsigned long long>(geometry.Cylinders.QuadPart));
  inf.Number("TracksPerCylinder", geometry.TracksPerCylinder);
  inf.Number("SectorsPerTrack", geometry.SectorsPerTrack);
  inf.Number("BytesPerSector", geometry.BytesPerSector);
  inf.Number("MediaType", static_cast<unsigned>(geometry.MediaType));
  inf.Number("SizeBytes", static_cast<unsigned long long>(geometry.Cylinders.QuadPart) * geometry.TracksPerCylinder *
                              geometry.SectorsPerTrack * geometry.BytesPerSector);
}

unsigned Word16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned long Word32(const unsigned char* p) {
  return static_cast<unsigned long>(p[0]) | (static_cast<unsigned long>(p[1]) << 8) |
         (static_cast<unsigned long>(p[2]) << 16) | (static_cast<unsigned long>(p[3]) << 24);
}

std::string Chs(const unsigned char* p) {
  unsigned head = p[0], sector = p[1] & 0x3F, cylinder = ((p[1] & 0xC0) << 2) | p[2];
  char text[32];
  std::snprintf(text, sizeof text, "%u/%u/%u", cylinder, head, sector);
  return text;
}

// The four entries of a master boot record's partition table.
void MbrPartitions(InfText& inf, const unsigned char (&mbr)[kSectorBytes]) {
  for (int i = 0; i < 4; ++i) {
    const unsigned char* entry = mbr + 446 + 16 * i;
    if (entry[4] == 0) continue;  // unused entry
    char name[24];
    std::snprintf(name, sizeof name, "Partition%d", i + 1);
    inf.Section(name);
    inf.Number("Active", entry[0] == 0x80 ? 1 : 0);
    char type[4];
    std::snprintf(type, sizeof type, "%02X", entry[4]);
    inf.Text("Type", type);
    inf.Text("StartCHS", Chs(entry + 1));
    inf.Text("EndCHS", Chs(entry + 5));
    inf.Number("StartSector", Word32(entry + 8));
    inf.Number("Sectors", Word32(entry + 12));
  }
}

void Layout(InfText& inf, const Device& disk) {
  std::vector<unsigned char> buffer(kLayoutBufferBytes);
  auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
  DWORD error = 0;
  inf.Section("Layout");
  if (!disk.Control(IOCTL_DISK_GET_DRIVE_LAYOUT_EX, layout, static_cast<DWORD>(buffer.size()), &error)) {
    inf.Unreadable(error);
    return;
  }
  inf.Text("Read", "1");
  inf.Text("Style", layout->PartitionStyle == PARTITION_STYLE_MBR   ? "MBR"
                    : layout->PartitionStyle == PARTITION_STYLE_GPT ? "GPT"
                                                                    : "RAW");
  DWORD count = 0;
  for (DWORD i = 0; i < layout->PartitionCount; ++i) {
    const PARTITION_INFORMATION_EX& p = layout->PartitionEntry[i];
    if (p.PartitionLength.QuadPart == 0) continue;
    ++count;
    char key[32];
    std::snprintf(key, sizeof key, "Entry%lu", static_cast<unsigned long>(count));
    char value[96];
    std::snprintf(value, sizeof value, "%llu,%llu,%lu", static_cast<unsigned long long>(p.StartingOffset.QuadPart),
                  static_cast<unsigned long long>(p.PartitionLength.QuadPart),
                  static_cast<unsigned long>(p.PartitionNumber));
    inf.Text(key, value);
  }
  inf.Number("Count", count);
}

void BootSectorFields(InfText& inf, const unsigned char (&sector)[kSectorBytes]) {
  inf.Section("BootParameters");
  inf.Text("OemName", std::string(reinterpret_cast<const char*>(sector + 3), 8));
  inf.Number("BytesPerSector", Word16(sector + 11));
  inf.Number("SectorsPerCluster", sector[13]);
  inf.Number("ReservedSectors", Word16(sector + 14));
  inf.Number("Fats", sector[16]);
  inf.Number("MediaDescriptor", sector[21]);
  inf.Number("SectorsPerTrack", Word16(sector + 24));
  inf.Number("Heads", Word16(sector + 26));
  inf.Number("HiddenSectors", Word32(sector + 28));
  char signature[8];
  std::snprintf(signature, sizeof signature, "%02X%02X", sector[511], sector[510]);
  inf.Text("Signature", signature);
}

}  // namespace

std::string SystemDiskDevice() {
  Device volume(VolumeDevice());
  STORAGE_DEVICE_NUMBER number{};
  DWORD error = 0;
  unsigned long disk = 0;
  if (volume.Open() && volume.Control(IOCTL_STORAGE_GET_DEVICE_NUMBER, &number, sizeof number, &error))
    disk = number.DeviceNumber;
  return "\\\\.\\PhysicalDrive" + std::to_string(disk);
}

std::string PartitionInformation() {
  InfText inf;
  char system = SystemDriveLetter();
  inf.Header("PART.INF", system);
  std::string device = SystemDiskDevice();
  Device disk(device);

  inf.Section("Disk");
  inf.Text("Device", device);
  if (!disk.Open()) {
    inf.Unreadable(disk.OpenError());
    return inf.Str();
  }
  Geometry(inf, disk);

  inf.Section("MasterBootRecord");
  unsigned char mbr[kSectorBytes];
  DWORD error = 0;
  bool haveMbr = disk.FirstSector(mbr, &error);
  if (haveMbr) inf.Bytes(mbr, sizeof mbr);
  else inf.Unreadable(error);
  if (haveMbr) MbrPartitions(inf, mbr);
  Layout(inf, disk);
  return inf.Str();
}

std::string BootInformation() {
  InfText inf;
  char system = SystemDriveLetter();
  inf.Header("BOOT.INF", system);
  char root[] = {system, ':', '\\', '\0'};

  inf.Section("Volume");
  inf.Text("Root", root);
  char label[MAX_PATH + 1] = "", fileSystem[MAX_PATH + 1] = "";
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (GetVolumeInformationA(root, label, sizeof label, &serial, &maxComponent, &flags, fileSystem, sizeof fileSystem)) {
    inf.Text("Read", "1");
    inf.Text("Label", label);
    inf.Hex32("Serial", serial);
    inf.Text("FileSystem", fileSystem);
    inf.Number("MaxComponentLength", maxComponent);
    inf.Hex32("Flags", flags);
  } else {
    inf.Unreadable(GetLastError());
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    inf.Number("SectorsPerCluster", sectorsPerCluster);
    inf.Number("BytesPerSector", bytesPerSector);
  }
  ULARGE_INTEGER available{}, total{}, free{};
  if (GetDiskFreeSpaceExA(root, &available, &total, &free)) {
    inf.Number("TotalBytes", total.QuadPart);
    inf.Number("FreeBytes", free.QuadPart);
  }

  inf.Section("BootSector");
  Device volume(VolumeDevice());
  unsigned char sector[kSectorBytes];
  DWORD error = volume.OpenError();
  if (volume.Open() && volume.FirstSector(sector, &error)) {
    inf.Bytes(sector, sizeof sector);
    BootSectorFields(inf, sector);
  } else {
    inf.Unreadable(error);
  }
  return inf.Str();
}

}  // namespace rescue
