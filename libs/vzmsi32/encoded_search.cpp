#include "encoded_search.h"

#include <algorithm>
#include <cstring>

namespace vzmsi {

namespace {
constexpr std::size_t kFewFirstBytes = 4;
}  // namespace

EncodedSearch::EncodedSearch(const EncodedPattern* patterns, std::size_t count, std::uint8_t key)
    : patterns_(patterns), key_(key), pairBits_(65536 / 64, 0), pairs_(65536) {
  for (std::size_t n = 0; n < count; ++n) {
    const EncodedPattern& p = patterns[n];
    if (p.length < 2 || !p.encoded) continue;
    std::uint32_t pair = static_cast<std::uint32_t>(p.encoded[0] ^ key) << 8 | (p.encoded[1] ^ key);
    pairBits_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    pairs_[pair].push_back(static_cast<std::uint16_t>(n));
    if (p.length > longest_) longest_ = p.length;
    std::uint8_t first = static_cast<std::uint8_t>(p.encoded[0] ^ key);
    if (std::find(firstBytes_.begin(), firstBytes_.end(), first) == firstBytes_.end()) firstBytes_.push_back(first);
  }
  // With few first bytes, memchr finds the candidates far faster than a loop
  // over every byte.
  if (firstBytes_.size() > kFewFirstBytes) firstBytes_.clear();
}

const EncodedPattern* EncodedSearch::MatchAt(const std::uint8_t* data, std::size_t i, std::size_t size) const {
  std::uint32_t pair = static_cast<std::uint32_t>(data[i]) << 8 | data[i + 1];
  if (!(pairBits_[pair >> 6] >> (pair & 63) & 1)) return nullptr;
  for (std::uint16_t n : pairs_[pair]) {
    const EncodedPattern& p = patterns_[n];
    if (i + p.length > size) continue;
    std::size_t k = 2;
    while (k < p.length && static_cast<std::uint8_t>(data[i + k] ^ key_) == p.encoded[k]) ++k;
    if (k == p.length) return &p;
  }
  return nullptr;
}

const EncodedPattern* EncodedSearch::Find(const std::uint8_t* data, std::size_t starts, std::size_t size) const {
  if (size < 2) return nullptr;
  if (starts > size - 1) starts = size - 1;
  if (!firstBytes_.empty()) {
    for (std::uint8_t first : firstBytes_) {
      const std::uint8_t* at = data;
      const std::uint8_t* end = data + starts;
      while (at < end) {
        at = static_cast<const std::uint8_t*>(std::memchr(at, first, static_cast<std::size_t>(end - at)));
        if (!at) break;
        if (const EncodedPattern* p = MatchAt(data, static_cast<std::size_t>(at - data), size)) return p;
        ++at;
      }
    }
    return nullptr;
  }
  for (std::size_t i = 0; i < starts; ++i)
    if (const EncodedPattern* p = MatchAt(data, i, size)) return p;
  return nullptr;
}

}  // namespace vzmsi
