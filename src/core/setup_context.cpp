#include "core/setup_context.h"

namespace vz {

SetupContext g_setup;

}  // namespace vz
