#include "preinstall/removal_support.h"

#include <cctype>
#include <cstdio>

#include "core/text.h"

namespace vz {

namespace {
constexpr char kInsertDiskFormat[] = "Insert Velzor Setup disk 1 in drive %c";
constexpr std::size_t kDiskPromptCapacity = 64;
}  // namespace

bool IsPreviousInstallFolder(const char* folder) {
  if (!folder || !EndsWithBackslash(folder)) return false;
  bool drive = std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' && folder[2] == '\\';
  bool network = folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\0' && folder[2] != '\\';
  return drive || network;
}

bool PathExists(const char* path) {
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  bool exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  SetErrorMode(previous);
  return exists;
}

int AskForSetupDisk(const char* setupPath, UINT buttons) {
  char text[kDiskPromptCapacity];
  std::snprintf(text, sizeof text, kInsertDiskFormat, std::toupper(static_cast<unsigned char>(setupPath[0])));
  return MessageBoxA(GetActiveWindow(), text, kVelzorSetupCaption, buttons | MB_ICONINFORMATION);
}

}  // namespace vz
