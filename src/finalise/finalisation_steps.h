// The finalisation phase's own small steps; several also serve the
// completion of an installation made on the other operating system.
#pragma once

namespace vz {

int RewriteUninstallRecord();
void RebuildStartupChecker();
void DeleteCheckFile(const char* folder);
void RecordCurrentVersion();
void RecordLastInstalledVersion();
void WriteInstallMapEntries();
void OfferDisinfection();
void ScanAllDrives();
void WriteProductInfo();
void HideInstallMapFile();

}  // namespace vz
