// Word macro protection.
#pragma once

namespace vz {

int InstallWordProtection();
int LocateWordFolder(char* buffer);
int LocateWordProgram(char* buffer);
int LocateWordTemplates(char* buffer);

}  // namespace vz
