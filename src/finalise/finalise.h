// The finalisation phase (/endsetup).
#pragma once

namespace vz {

void RunFinalisation(const char* commandLine);

}  // namespace vz
