#include "preinstall/preinstall.h"

namespace vz {

void ResumeAfterRestart() {}

}  // namespace vz
