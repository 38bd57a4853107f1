#include "finalise/component_choices.h"

namespace vz {

ComponentChoices g_choices;

}  // namespace vz
