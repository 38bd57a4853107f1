// Searching memory for the memory signatures without ever holding one: the
// patterns stay XOR-encoded, and each byte of memory is encoded as it is
// compared. Only a signature's first two bytes exist decoded, as a bit of
// the filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vzmsi {

struct EncodedPattern {
  std::int16_t id;
  const char* name;
  std::size_t length;
  const std::uint8_t* encoded;
};

class EncodedSearch {
 public:
  EncodedSearch(const EncodedPattern* patterns, std::size_t count, std::uint8_t key);

  // The longest pattern: windows over memory overlap by this less one.
  std::size_t LongestPattern() const { return longest_; }

  // Looks for a pattern starting at data[0 .. starts-1]; the bytes up to
  // data[size-1] may complete one. Returns the pattern or nullptr.
  const EncodedPattern* Find(const std::uint8_t* data, std::size_t starts, std::size_t size) const;

 private:
  const EncodedPattern* patterns_;
  std::uint8_t key_;
  std::size_t longest_ = 0;
  std::vector<std::uint64_t> pairBits_;           // 65536 bits
  std::vector<std::vector<std::uint16_t>> pairs_;  // pattern numbers by their first two bytes
  std::vector<std::uint8_t> firstBytes_;          // the distinct first bytes, when few

  const EncodedPattern* MatchAt(const std::uint8_t* data, std::size_t i, std::size_t size) const;
};

}  // namespace vzmsi
