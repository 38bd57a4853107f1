#include "helper_phases.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace vzsetup {

namespace {

// A token the helper can take: not empty (an empty one would shift the
// others) and without the separator.
bool IsToken(const char* text) { return text[0] != '\0' && std::strchr(text, '*') == nullptr; }

bool JoinTokens(char* command, std::size_t capacity, const char* phase, const char* const* tokens, int count) {
  if (!vz::CopyText(command, capacity, phase)) return false;
  for (int i = 0; i < count; ++i) {
    if (!IsToken(tokens[i]) || !vz::AppendText(command, capacity, "*") ||
        !vz::AppendText(command, capacity, tokens[i]))
      return false;
  }
  return true;
}

}  // namespace

bool InitSetupCommand(const SetupMedia& media, char* command, std::size_t capacity) {
  char source[vzp::kPathCapacity];
  SourceToken(media, source, sizeof source);
  char oem[16];
  std::snprintf(oem, sizeof oem, "%d", media.oemFlag);
  // Source, install folder, disk count, Type, (reserved), OEM flag, (reserved), product, version.
  const char* const tokens[] = {source, media.installFolder, "1", media.type, "0", oem, "0", media.productName,
                                media.version};
  return JoinTokens(command, capacity, "/initsetup", tokens, 9);
}

bool EndSetupCommand(const SetupMedia& media, char* command, std::size_t capacity) {
  char source[vzp::kPathCapacity];
  SourceToken(media, source, sizeof source);
  const char* const tokens[] = {source, media.installFolder};
  return JoinTokens(command, capacity, "/endsetup", tokens, 2);
}

PhaseEnd RunHelperPhase(const SetupMedia& media, const char* command) {
  char helper[vzp::kPathCapacity];
  if (!vz::CopyText(helper, media.folder) || !vz::AppendText(helper, kHelperName)) return PhaseEnd::NotStarted;
  char commandLine[kHelperCommandCapacity + vzp::kPathCapacity] = "\"";
  if (!vz::AppendText(commandLine, helper) || !vz::AppendText(commandLine, "\" ") ||
      !vz::AppendText(commandLine, command))
    return PhaseEnd::NotStarted;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(helper, commandLine, nullptr, nullptr, FALSE, 0, nullptr, media.folder, &startup, &process))
    return PhaseEnd::NotStarted;
  CloseHandle(process.hThread);
  // The helper sends WM_CLOSE to the window and waits for it to be handled:
  // messages are dispatched while the phase runs.
  for (;;) {
    DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  CloseHandle(process.hProcess);
  return PhaseEnd::Ended;
}

}  // namespace vzsetup
