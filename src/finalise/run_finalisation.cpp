#include "core/command_line.h"
#include "finalise/finalise.h"

namespace vz {

void RunFinalisation(const char* commandLine) { TakeEndSetupTokens(commandLine); }

}  // namespace vz
