// The product's programs installed into a folder of their own on the shared
// machine, and run there as their own processes.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "machine.h"
#include "robot.h"

namespace programs {

// An empty folder C:\VZTEST\<name>\ holding these files of the setup media.
std::string InstallFromMedia(const std::string& name, std::initializer_list<const char*> files);

// Runs a program of that folder with its arguments, the robot watching.
bench::RunResult RunIn(const std::string& folder, const std::string& exeName, const std::string& arguments,
                       bench::Robot& user, const bench::RunOptions& options = {});

// The text of a file, "" when it cannot be read; its lines without their ends.
std::string TextOf(const std::string& path);
std::vector<std::string> LinesOf(const std::string& path);

}  // namespace programs
