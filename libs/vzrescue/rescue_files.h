// The rescue information of this machine, as the text of each diskette file.
#pragma once

#include <string>

namespace rescue {

std::string PartitionInformation();  // PART.INF: the system disk and its partitions
std::string BootInformation();       // BOOT.INF: the system volume and its boot sector
std::string MachineSetup();          // CMOS.INF: what the machine's setup memory holds

// The device path of the physical disk that holds the system volume.
std::string SystemDiskDevice();

}  // namespace rescue
