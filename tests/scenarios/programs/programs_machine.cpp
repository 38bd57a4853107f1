#include "programs_machine.h"

#include <gtest/gtest.h>

#include <sstream>

#include "scratch_files.h"

namespace programs {

using namespace bench;

std::string InstallFromMedia(const std::string& name, std::initializer_list<const char*> files) {
  std::string folder = ScratchFolder(name);
  for (const char* file : files) {
    auto bytes = ReadFileBytes(TestMachine::MediaFolder() + file);
    if (!bytes) ADD_FAILURE() << file << " is not on the setup media";
    WriteFileBytes(folder + file, bytes.value_or(""));
  }
  return folder;
}

RunResult RunIn(const std::string& folder, const std::string& exeName, const std::string& arguments, Robot& user,
                const RunOptions& options) {
  return RunProgram(folder + exeName, arguments, user, options);
}

std::string TextOf(const std::string& path) { return ReadFileBytes(path).value_or(""); }

std::vector<std::string> LinesOf(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(TextOf(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace programs
