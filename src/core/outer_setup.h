// The outer setup's main window, titled "Setup": hidden while a phase runs,
// shown again afterwards, closed when a phase abandons the installation.
#pragma once

namespace vz {

void HideOuterSetup();
void ShowOuterSetup();
void CloseOuterSetup();

}  // namespace vz
