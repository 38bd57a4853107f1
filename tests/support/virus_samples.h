// Harmless virus samples for the scanner's tests: made-up markers placed in
// filler bytes or in small PE images, written at run time and removed again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Bytes 0x80 to 0xFE from a fixed sequence: never an ASCII marker.
std::string Filler(std::size_t size, std::uint32_t seed = 1);

// The data with the marker written at `at` (the data grows when needed).
std::string Place(std::string data, std::size_t at, const std::string& marker);

void Put16(std::string& data, std::size_t at, std::uint16_t value);
void Put32(std::string& data, std::size_t at, std::uint32_t value);

// A small PE32+ image: headers in the first 0x400 bytes (PE header at 0x80,
// section table at kSamplePeTableAt), then `sections` sections of 0x400 raw
// bytes each at file offsets 0x400, 0x800, ... and RVAs 0x1000, 0x2000, ...;
// the entry point RVA 0x1010 is file offset 0x410.
constexpr std::uint32_t kSamplePeHeaderAt = 0x80;
constexpr std::uint32_t kSamplePeOptionalSize = 0xF0;
constexpr std::uint32_t kSamplePeTableAt = kSamplePeHeaderAt + 24 + kSamplePeOptionalSize;
std::string SamplePe(int sections = 3, std::uint32_t entryRva = 0x1010);

// A file written for a case and deleted when the case ends, with the folders
// it had to create.
class PlantedFile {
 public:
  PlantedFile(std::string path, const std::string& bytes);
  ~PlantedFile();
  PlantedFile(const PlantedFile&) = delete;
  PlantedFile& operator=(const PlantedFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> madeFolders_;  // deepest last
};

}  // namespace bench
