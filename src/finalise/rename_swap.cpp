#include "finalise/rename_swap.h"

namespace vz {

SwapResult SwapInByRenames(const char* workFile, const char* swapName, const char* target, RenameFileFn rename) {
  if (!rename(workFile, swapName)) return SwapResult::NotSwapped;
  if (!rename(target, workFile)) {
    // The target is untouched; bring the new content back under its work name.
    rename(swapName, workFile);
    return SwapResult::NotSwapped;
  }
  if (!rename(swapName, target)) {
    // The target name is free and its previous content is under the work name: put it back.
    return rename(workFile, target) ? SwapResult::NotSwapped : SwapResult::Broken;
  }
  return SwapResult::Swapped;
}

}  // namespace vz
