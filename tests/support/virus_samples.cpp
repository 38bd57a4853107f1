#include "virus_samples.h"

#include <windows.h>

#include <algorithm>

#include "machine.h"

namespace bench {

std::string Filler(std::size_t size, std::uint32_t seed) {
  std::string out(size, '\0');
  std::uint32_t x = seed * 2654435761u + 12345;
  for (auto& c : out) {
    x = x * 1103515245u + 12345;
    c = static_cast<char>(0x80 + ((x >> 16) % 0x7F));
  }
  return out;
}

std::string Place(std::string data, std::size_t at, const std::string& marker) {
  if (data.size() < at + marker.size()) data.resize(at + marker.size(), '\x81');
  data.replace(at, marker.size(), marker);
  return data;
}

void Put16(std::string& d, std::size_t at, std::uint16_t v) {
  d[at] = static_cast<char>(v & 0xFF);
  d[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& d, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string SamplePe(int sections, std::uint32_t entryRva) {
  std::string d = Filler(0x400 + 0x400 * sections, 7);
  std::fill(d.begin(), d.begin() + 0x400, '\0');
  d[0] = 'M';
  d[1] = 'Z';
  Put32(d, 0x3C, kSamplePeHeaderAt);
  d.replace(kSamplePeHeaderAt, 4, std::string("PE\0\0", 4));
  Put16(d, kSamplePeHeaderAt + 4, 0x8664);  // x86-64
  Put16(d, kSamplePeHeaderAt + 6, static_cast<std::uint16_t>(sections));
  Put16(d, kSamplePeHeaderAt + 20, kSamplePeOptionalSize);
  Put16(d, kSamplePeHeaderAt + 22, 0x22);   // executable, large address aware
  std::size_t opt = kSamplePeHeaderAt + 24;
  Put16(d, opt, 0x20B);                     // PE32+
  Put32(d, opt + 16, entryRva);
  Put32(d, opt + 32, 0x1000);               // section alignment
  Put32(d, opt + 36, 0x200);                // file alignment
  Put32(d, opt + 56, 0x1000 * (sections + 1));
  Put32(d, opt + 60, 0x400);                // size of headers
  for (int i = 0; i < sections; ++i) {
    std::size_t s = kSamplePeTableAt + 40 * i;
    d.replace(s, 8, std::string(".sect\0\0\0", 8));
    Put32(d, s + 8, 0x400);
    Put32(d, s + 12, 0x1000 * (i + 1));
    Put32(d, s + 16, 0x400);
    Put32(d, s + 20, 0x400 * (i + 1));
  }
  return d;
}

PlantedFile::PlantedFile(std::string path, const std::string& bytes) : path_(std::move(path)) {
  // The folders above the file that do not exist yet, outermost first.
  for (std::size_t cut = path_.find('\\', 3); cut != std::string::npos; cut = path_.find('\\', cut + 1)) {
    std::string folder = path_.substr(0, cut);
    if (!FolderExists(folder)) madeFolders_.push_back(folder);
  }
  WriteFileBytes(path_, bytes);
}

PlantedFile::~PlantedFile() {
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path_.c_str());
  for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) RemoveDirectoryA(it->c_str());
}

}  // namespace bench
