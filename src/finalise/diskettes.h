// Rescue and Emergency diskettes.
#pragma once

namespace vz {

void CreateDiskettes();
int IsDriveReadable(short drive);

}  // namespace vz
