// Program Manager commands over DDE.
#include <windows.h>
#include <ddeml.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "finalise/shell_integration.h"

namespace vz {

namespace {

constexpr std::size_t kCommandCapacity = 256;
constexpr char kProgmanName[] = "PROGMAN";      // both service and topic
constexpr DWORD kClientOnlyFlags = 0x3f000;     // every server transaction refused
constexpr DWORD kExecuteTimeoutMs = 1000;

bool Given(const char* text) { return text && text[0] != '\0'; }
const char* OrEmpty(const char* text) { return text ? text : ""; }

// Formats a command into its buffer and sends it. A command that would not
// fit is not sent: 0.
int SendCommand(const char* format, ...) {
  char command[kCommandCapacity];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(command, sizeof command, format, args);
  va_end(args);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof command) return 0;
  return ProgmanExecute(command);
}

HDDEDATA CALLBACK RefuseEverything(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

}  // namespace

int ProgmanDeleteGroup(const char* groupName) {
  if (!Given(groupName)) return 0;
  return SendCommand("[DeleteGroup(%s)]", groupName);
}

int ProgmanCreateGroup(const char* groupName, const char* groupFile) {
  if (!Given(groupName)) return 0;
  if (Given(groupFile)) return SendCommand("[CreateGroup(%s,%s)]", groupName, groupFile);
  return SendCommand("[CreateGroup(%s)]", groupName);
}

int ProgmanShowGroup(const char* groupName, unsigned short showCommand) {
  if (!Given(groupName)) return 0;
  return SendCommand("[ShowGroup(%s,%u)]", groupName, static_cast<unsigned>(showCommand));
}

int ProgmanAddItem(const char* commandLine, const char* itemTitle, const char* iconFile, unsigned short iconIndex) {
  if (Given(iconFile))
    return SendCommand("[AddItem(%s,%s,%s,%u)]", OrEmpty(commandLine), OrEmpty(itemTitle), iconFile,
                       static_cast<unsigned>(iconIndex));
  return SendCommand("[AddItem(%s,%s)]", OrEmpty(commandLine), OrEmpty(itemTitle));
}

int ProgmanExecute(const char* command) {
  if (!command) return 0;
  DWORD instance = 0;
  if (DdeInitializeA(&instance, RefuseEverything, kClientOnlyFlags, 0) != DMLERR_NO_ERROR) return 0;

  HSZ progman = DdeCreateStringHandleA(instance, kProgmanName, CP_WINANSI);
  HCONV conversation = progman ? DdeConnect(instance, progman, progman, nullptr) : nullptr;
  if (progman) DdeFreeStringHandle(instance, progman);
  if (!conversation) {
    DdeUninitialize(instance);
    return 0;
  }

  // The command goes with its terminating zero; whether Program Manager
  // carried it out is not asked.
  DWORD size = static_cast<DWORD>(std::strlen(command) + 1);
  HDDEDATA data = DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(const_cast<char*>(command)), size, 0,
                                      nullptr, 0, 0);
  if (data)
    DdeClientTransaction(reinterpret_cast<LPBYTE>(data), static_cast<DWORD>(-1), conversation, nullptr, 0,
                         XTYP_EXECUTE, kExecuteTimeoutMs, nullptr);
  DdeDisconnect(conversation);
  DdeUninitialize(instance);
  return data ? 1 : 0;
}

}  // namespace vz
