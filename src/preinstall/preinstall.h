// The pre-installation phase (/initsetup) and the restart continuation (/runonce).
#pragma once

namespace vz {

void RunPreInstallation(const char* commandLine);
void ResumeAfterRestart();

}  // namespace vz
