#include "fst/fst.h"

#include <algorithm>

namespace VemoSDK::Fst {

BuildError compileTable(std::vector<KeyValue> pairs, std::string& out) {
  std::stable_sort(pairs.begin(), pairs.end(), [](const KeyValue& a, const KeyValue& b) { return a.key < b.key; });
  std::vector<std::string> keys;
  keys.reserve(pairs.size());
  for (const KeyValue& pair : pairs) keys.push_back(pair.key);
  KeyStats stats(keys);
  keys.clear();
  FstBuilder builder(stats);
  for (const KeyValue& pair : pairs) {
    BuildError error = builder.add(pair.key, pair.value);
    if (error != BuildError::None) return error;
  }
  return builder.finish(out);
}

}  // namespace VemoSDK::Fst
