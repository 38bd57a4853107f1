// The product's Start Menu group, made through Program Manager's DDE commands
// from SETUP.INI's [Group] section.
#pragma once

#include "setup_media.h"

namespace vzsetup {

// Builds the group again from scratch: DeleteGroup, CreateGroup, ShowGroup,
// then AddItem for each item whose program is in the install folder. False
// when Program Manager could not be reached.
bool BuildProgramGroup(const SetupMedia& media);

}  // namespace vzsetup
