#include "fst/fstlib/key_stats.h"

#include <algorithm>

#include "fst/fstlib/fst_format.h"

namespace VemoSDK::Fst {

KeyStats::KeyStats(const std::vector<std::string>& keys) : pairs_(257 * 256, 0) {
  std::array<std::uint64_t, 256> counts{};
  for (const std::string& key : keys) {
    int leading = kNoLeadingByte;
    for (char c : key) {
      unsigned char byte = static_cast<unsigned char>(c);
      ++counts[byte];
      ++pairs_[leading * 256 + byte];
      leading = byte;
    }
  }
  std::array<int, 256> ranked;
  for (int i = 0; i < 256; ++i) ranked[i] = i;
  // Most frequent first; equal counts in byte order.
  std::stable_sort(ranked.begin(), ranked.end(), [&](int a, int b) { return counts[a] > counts[b]; });
  for (int rank = 0; rank < 256 && counts[ranked[rank]] > 0; ++rank) {
    ++unique_;
    if (rank < kIndexedChars) {
      index_[ranked[rank]] = static_cast<unsigned char>(rank + 1);
      table_[rank + 1] = static_cast<unsigned char>(ranked[rank]);
    }
  }
}

}  // namespace VemoSDK::Fst
