#include "scratch_files.h"

#include "machine.h"

namespace bench {

std::string ScratchFolder(const std::string& name) {
  std::string folder = "C:\\VZTEST\\" + name + "\\";
  RemoveTree(folder);
  MakeFolders(folder);
  return folder;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

FileLock::FileLock(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

FileLock::~FileLock() {
  if (held()) CloseHandle(handle_);
}

void SetReadOnly(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

bool IsReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace bench
