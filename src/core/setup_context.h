// The setup context: the process-wide values a phase fills at its start and
// its steps read. One set per process; nothing of it outlives the process.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vz {

constexpr std::size_t kPathCapacity = 260;    // every path buffer, terminator included
constexpr std::size_t kVersionCapacity = 12;  // product version string, terminator included
constexpr char kInitialProductVersion[] = "5.0";

struct SetupContext {
  HINSTANCE instance = nullptr;
  char sourceFolder[kPathCapacity] = "";
  char installFolder[kPathCapacity] = "";  // ends with a backslash once filled
  char perOsIniPath[kPathCapacity] = "";   // this system's Windows folder + "VZ32.INI"
  char productVersion[kVersionCapacity] = "5.0";
};

extern SetupContext g_setup;

}  // namespace vz
