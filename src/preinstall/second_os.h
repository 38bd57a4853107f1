// Completing an installation made on the other operating system.
#pragma once

namespace vz {

void CompleteOnSecondOS();
void CopyOtherOSRecords();
void ReadUninstallArguments(char* buffer);

}  // namespace vz
