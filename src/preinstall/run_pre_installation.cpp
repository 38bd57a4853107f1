#include "core/command_line.h"
#include "preinstall/preinstall.h"

namespace vz {

// The install-state decision comes with the pre-installation work; for now
// the phase only takes its tokens.
void RunPreInstallation(const char* commandLine) {
  InitSetupTokens tokens;
  TakeInitSetupTokens(commandLine, &tokens);
}

}  // namespace vz
