// Recording how the installation continues after the restart.
#include <windows.h>

#include <cstring>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "preinstall/previous_version.h"
#include "preinstall/removal_support.h"
#include "services/registry.h"

namespace vz {

namespace {
constexpr char kContinuationCommand[] = "vzset.exe /runonce";
}  // namespace

void ScheduleRestartContinuation(const char* sourceFolder) {
  char versionKey[kVersionKeyCapacity];
  BuildVersionKey(versionKey, sizeof versionKey);

  // The helper's own folder, then the command that runs it again there.
  char command[kPathCapacity] = "";
  DWORD length = GetModuleFileNameA(nullptr, command, sizeof command);
  char* lastBackslash = length > 0 && length < sizeof command ? std::strrchr(command, '\\') : nullptr;
  if (lastBackslash) {
    lastBackslash[1] = '\0';
    // A command cut to the buffer would run something else: none is written then.
    if (AppendText(command, kContinuationCommand))
      AddRegistryValue(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue, command);
  }
  SetRegValue(HKEY_LOCAL_MACHINE, versionKey, kSetupDriveValue, sourceFolder,
              static_cast<int>(std::strlen(sourceFolder)));
}

}  // namespace vz
