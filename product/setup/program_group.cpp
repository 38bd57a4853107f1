#include "program_group.h"

#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstring>

namespace vzsetup {

namespace {

constexpr char kProgmanName[] = "PROGMAN";  // both service and topic
constexpr std::size_t kCommandCapacity = 2 * vzp::kPathCapacity;
constexpr DWORD kClientOnlyFlags = APPCMD_CLIENTONLY;
constexpr DWORD kExecuteTimeoutMs = 5000;

HDDEDATA CALLBACK NoServer(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

bool Execute(DWORD instance, HCONV conversation, const char* command) {
  DWORD result = 0;
  HDDEDATA done = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)),
                                       static_cast<DWORD>(std::strlen(command) + 1), conversation, nullptr, 0,
                                       XTYP_EXECUTE, kExecuteTimeoutMs, &result);
  return done != nullptr;
}

}  // namespace

bool BuildProgramGroup(const SetupMedia& media) {
  if (media.groupName[0] == '\0') return true;  // the media ask for none
  DWORD instance = 0;
  if (DdeInitializeA(&instance, NoServer, kClientOnlyFlags, 0) != DMLERR_NO_ERROR) return false;
  HSZ progman = DdeCreateStringHandleA(instance, kProgmanName, CP_WINANSI);
  HCONV conversation = progman ? DdeConnect(instance, progman, progman, nullptr) : nullptr;
  if (progman) DdeFreeStringHandle(instance, progman);
  if (!conversation) {
    DdeUninitialize(instance);
    return false;
  }

  // Items name their programs by short paths: Program Manager takes a
  // command line up to its first blank.
  char folder[vzp::kPathCapacity];
  vz::CopyText(folder, media.installFolder);
  vz::ShortenPathInPlace(folder);
  vz::EnsureTrailingBackslash(folder);

  char command[kCommandCapacity];
  std::snprintf(command, sizeof command, "[DeleteGroup(%s)]", media.groupName);
  Execute(instance, conversation, command);  // a group that is not there yet is no failure
  std::snprintf(command, sizeof command, "[CreateGroup(%s)]", media.groupName);
  bool built = Execute(instance, conversation, command);
  std::snprintf(command, sizeof command, "[ShowGroup(%s,1)]", media.groupName);
  Execute(instance, conversation, command);
  for (const char* item = media.groupItems; built && *item; item += std::strlen(item) + 1) {
    char file[vzp::kPathCapacity];
    vz::CopyText(file, item);
    char* equals = std::strchr(file, '=');
    if (!equals) continue;
    *equals = '\0';
    char program[vzp::kPathCapacity];
    if (!vz::CopyText(program, folder) || !vz::AppendText(program, file) || !vzp::PathExists(program)) continue;
    int length = std::snprintf(command, sizeof command, "[AddItem(%s,%s)]", program, equals + 1);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof command)
      built = Execute(instance, conversation, command) && built;
  }
  DdeDisconnect(conversation);
  DdeUninitialize(instance);
  return built;
}

}  // namespace vzsetup
