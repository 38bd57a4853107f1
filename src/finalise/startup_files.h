// Start-up file line removal: WININIT.INI and C:\AUTOEXEC.BAT are rewritten
// line by line and swapped in by renames.
#pragma once

namespace vz {

void RemoveWininitLines(const char* installFolder, const char* windowsFolder);
void SetAutoexecStartupLine();

}  // namespace vz
