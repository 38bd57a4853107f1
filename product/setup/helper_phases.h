// Running the setup helper's phases from the media: vzset.exe /initsetup*...
// before the copy, vzset.exe /endsetup*source*install after it.
#pragma once

#include <cstddef>

#include "setup_media.h"

namespace vzsetup {

constexpr char kHelperName[] = "vzset.exe";
constexpr std::size_t kHelperCommandCapacity = 4 * vzp::kPathCapacity;

// The helper's command lines (what follows the program name).
bool InitSetupCommand(const SetupMedia& media, char* command, std::size_t capacity);
bool EndSetupCommand(const SetupMedia& media, char* command, std::size_t capacity);

enum class PhaseEnd { Ended, NotStarted };

// Runs the helper from the media with the command and waits for it to end,
// dispatching this thread's messages meanwhile, so that the window stays
// responsive: the helper hides, shows and may close it while it runs.
PhaseEnd RunHelperPhase(const SetupMedia& media, const char* command);

}  // namespace vzsetup
