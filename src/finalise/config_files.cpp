#include "finalise/config_files.h"

#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "finalise/config_records.h"
#include "services/filewrap.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr char kStartupRecordFile95[] = "VZ95.CNF";
constexpr char kStartupRecordFileNT[] = "VZNT.CNF";
constexpr char kConfigFile[] = "VZ32.CNF";
constexpr char kSignatureFile[] = "VZ.INX";
constexpr int kOsInfoValue = 1;
constexpr int kFromStart = 0;
constexpr int64_t kFileTimeTicksPerSecond = 10000000;
constexpr int64_t kFileTimeAt1970 = 116444736000000000;  // 100-ns ticks from 1601 to 1970

// A Run value: its name, the program in the install folder, and the choice that writes it.
struct StartupEntry {
  const char* valueName;
  const char* program;
  int ComponentChoices::*choice;
};
constexpr StartupEntry kStartupEntries[] = {
    {kRunValueScheduler, "VZSCHED.EXE /startup", &ComponentChoices::Scheduler},
    {kRunValueToolbar, "TOOLBAR.EXE", &ComponentChoices::Toolbar},
    {kRunValueOnlineProtection, "NEXOLT.EXE", &ComponentChoices::OnlineProtection},
};

// install folder + name; false when it does not fit (a cut path names another file).
bool InstallPath(char (&path)[kPathCapacity], const char* name) {
  return CopyText(path, g_setup.installFolder) && AppendText(path, name);
}

void WriteAt(FileHandle file, int32_t offset, const std::array<unsigned char, 4>& bytes) {
  if (my_lseek(file, offset, kFromStart) == offset) my_write(file, bytes.data(), static_cast<unsigned>(bytes.size()));
}

}  // namespace

std::array<unsigned char, kStartupRecordSize> StartupRecord(const ComponentChoices& choices) {
  std::array<unsigned char, kStartupRecordSize> record{};
  const int fields[] = {choices.Toolbar, choices.Scheduler, choices.OnlineProtection};
  for (std::size_t i = 0; i < 3; ++i) {
    record[2 * i] = static_cast<unsigned char>(fields[i] & 0xFF);
    record[2 * i + 1] = static_cast<unsigned char>((fields[i] >> 8) & 0xFF);
  }
  return record;
}

int32_t SecondsSince1970(const FILETIME& time) {
  int64_t ticks = (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  int64_t seconds = (ticks - kFileTimeAt1970) / kFileTimeTicksPerSecond;
  return static_cast<int32_t>(static_cast<uint32_t>(seconds));
}

int32_t SignatureExpiry(int32_t signatureDate) {
  return static_cast<int32_t>(static_cast<uint32_t>(signatureDate) + static_cast<uint32_t>(kSignatureLifetimeSeconds));
}

std::array<unsigned char, 4> LittleEndian32(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
          static_cast<unsigned char>(v >> 24)};
}

void WriteStartupComponents() {
  char recordPath[kPathCapacity];
  FileHandle record = kOpenFailed;
  if (InstallPath(recordPath, GetOS() == 1 ? kStartupRecordFile95 : kStartupRecordFileNT))
    record = my_open(recordPath, kOpenReadWrite);

  for (const StartupEntry& entry : kStartupEntries) DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, entry.valueName);
  for (const StartupEntry& entry : kStartupEntries) {
    char command[kPathCapacity];
    if (g_choices.*entry.choice == 1 && InstallPath(command, entry.program))
      AddRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, entry.valueName, command);
  }

  if (record == kOpenFailed) return;
  auto bytes = StartupRecord(g_choices);
  if (my_lseek(record, 0, kFromStart) == 0) my_write(record, bytes.data(), static_cast<unsigned>(bytes.size()));
  my_close(record);
}

void WriteSignatureDates() {
  char signaturePath[kPathCapacity], configPath[kPathCapacity];
  if (!InstallPath(signaturePath, kSignatureFile) || !InstallPath(configPath, kConfigFile)) return;

  // Without the signature file there is no date: nothing is written.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(signaturePath, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  int32_t signatureDate = SecondsSince1970(found.ftLastWriteTime);

  FileHandle config = my_open(configPath, kOpenReadWrite, kPermissionWrite);
  if (config == kOpenFailed) return;
  WriteAt(config, kSignatureDateOffset, LittleEndian32(signatureDate));
  WriteAt(config, kSignatureExpiryOffset, LittleEndian32(SignatureExpiry(signatureDate)));
  my_close(config);
}

void RecordConfigOS() {
  char configPath[kPathCapacity];
  if (InstallPath(configPath, kConfigFile)) UpdateOSInfo(configPath, kOsInfoValue);
}

}  // namespace vz
