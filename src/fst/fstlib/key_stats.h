#pragma once
// What the compiler learns from all keys before it writes anything: the
// character indexes (the 7 most frequent key bytes fit in a flag byte) and
// how often each byte follows each other byte (to put frequent arcs first).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace VemoSDK::Fst {

// The byte "leading into" the root state.
constexpr int kNoLeadingByte = 256;

class KeyStats {
public:
  explicit KeyStats(const std::vector<std::string>& keys);

  // 1-7 for the most frequent bytes, else 0 (the byte is stored).
  unsigned char charIndex(unsigned char c) const { return index_[c]; }
  // Entry i is the byte whose index is i; entry 0 is 0.
  const std::array<unsigned char, 8>& charTable() const { return table_; }
  size_t uniqueChars() const { return unique_; }
  // How often `next` followed `leading` (kNoLeadingByte: began a key).
  std::uint32_t pairCount(int leading, unsigned char next) const { return pairs_[leading * 256 + next]; }

private:
  std::array<unsigned char, 256> index_{};
  std::array<unsigned char, 8> table_{};
  size_t unique_ = 0;
  std::vector<std::uint32_t> pairs_;
};

}  // namespace VemoSDK::Fst
