// Swapping a rewritten text file in by three renames, so that whichever
// rename fails, the file holds either its previous or its new content.
#pragma once

#include <windows.h>

namespace vz {

enum class SwapResult {
  Swapped,     // target holds the new content; the previous one is under the work name
  NotSwapped,  // target holds its previous content; the new one is under the work or swap name
  Broken,      // a rename and the one undoing it both failed: the previous content is under the work name
};

using RenameFileFn = BOOL(WINAPI*)(const char* from, const char* to);

// The new content is in workFile. Renames workFile to swapName, target to
// workFile, swapName to target; when the second or third rename fails, the
// one before it is undone. Renames never replace an existing file.
SwapResult SwapInByRenames(const char* workFile, const char* swapName, const char* target,
                           RenameFileFn rename = MoveFileA);

}  // namespace vz
