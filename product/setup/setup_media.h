// What the setup media tell the outer setup: SETUP.INI beside SETUP.EXE.
#pragma once

#include <cstddef>

#include "product_common.h"

namespace vzsetup {

constexpr char kSetupIniName[] = "SETUP.INI";
constexpr std::size_t kVersionCapacity = 8;    // the helper hands a version over in 7 characters
constexpr std::size_t kTypeCapacity = 8;       // the helper takes at most 7 characters
constexpr std::size_t kFileListCapacity = 8192;  // the [Files] section, names separated by '\0'
constexpr std::size_t kGroupCapacity = 2048;     // the [Group] section's items

struct SetupMedia {
  char folder[vzp::kPathCapacity];         // the media folder, ending with a backslash
  char productName[64];
  char version[kVersionCapacity];
  char type[kTypeCapacity];
  int oemFlag;
  char installFolder[vzp::kPathCapacity];  // without a final backslash
  char files[kFileListCapacity];           // file names, each ended by '\0', the list by a second '\0'
  char groupName[64];                      // the Start Menu group; empty: none
  char groupItems[kGroupCapacity];         // FILE=Title lines, listed as the files are
};

// Reads SETUP.INI from the folder of the running program. False, with the
// reason in `why`, when the file is missing or names no version, no install
// folder or no file to copy, or when a value does not fit its buffer.
bool ReadSetupMedia(SetupMedia& media, char* why, std::size_t whyCapacity);

// The media folder as the helper's first token takes it: without a final
// backslash, except for a drive's root (A:\).
void SourceToken(const SetupMedia& media, char* token, std::size_t capacity);

}  // namespace vzsetup
