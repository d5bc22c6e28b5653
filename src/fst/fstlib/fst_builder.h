#pragma once
// Builds the minimal FST of keys fed in ascending byte order. The states on
// the previous key's path stay open; when the next key leaves that path, the
// states beyond the common prefix are frozen, deepest first, and written at
// once. Values are spread along the path so that common prefixes of values
// sit on shared arcs.
#include <string>
#include <string_view>
#include <vector>

#include "fst/fstlib/fst_compiler.h"
#include "fst/fstlib/key_stats.h"

namespace VemoSDK::Fst {

class FstBuilder {
public:
  explicit FstBuilder(const KeyStats& stats);

  BuildError add(std::string_view key, std::string_view value);
  // Freezes what is still open, writes the root last and the footer.
  BuildError finish(std::string& out);
  BuildStats stats() const { return compiler_.stats(); }

private:
  struct OpenState {
    std::vector<Arc> arcs;  // the last one is on the previous key's path
    bool final = false;
    std::string final_output;
  };

  BuildError freezeDownTo(size_t depth);
  void pushOutputs(size_t prefix, std::string& value);

  FstCompiler compiler_;
  std::vector<OpenState> open_;  // open_[i]: the state after the previous key's first i bytes
  std::string previous_;
  bool started_ = false;
};

}  // namespace VemoSDK::Fst
