// The component configuration files and start-up records.
#pragma once

namespace vz {

void WriteStartupComponents();
void WriteSignatureDates();
void RecordConfigOS();

}  // namespace vz
