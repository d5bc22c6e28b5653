#include "fst/fstlib/fst_builder.h"

#include <algorithm>

namespace VemoSDK::Fst {

namespace {

size_t commonPrefix(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

FstBuilder::FstBuilder(const KeyStats& stats) : compiler_(stats), open_(1) {}

// Freezes the open states deeper than `depth`, deepest first, and points
// their parents' arcs at what was written.
BuildError FstBuilder::freezeDownTo(size_t depth) {
  for (size_t i = previous_.size(); i > depth; --i) {
    OpenState& state = open_[i];
    int leading = static_cast<unsigned char>(previous_[i - 1]);
    std::int64_t address = kNoTarget;
    BuildError error = compiler_.compileState(state.arcs, leading, address);
    if (error != BuildError::None) return error;
    Arc& into = open_[i - 1].arcs.back();
    into.target = address;
    into.final = state.final;
    into.state_output = std::move(state.final_output);
    state = OpenState{};
  }
  return BuildError::None;
}

// Along the common prefix each arc keeps the common prefix of its output and
// the value; what it gives up moves one state further, onto every arc there
// (and the state's own output when a key ends there).
void FstBuilder::pushOutputs(size_t prefix, std::string& value) {
  for (size_t i = 0; i < prefix; ++i) {
    Arc& arc = open_[i].arcs.back();
    size_t common = commonPrefix(arc.output, value);
    if (common < arc.output.size()) {
      std::string given_up = arc.output.substr(common);
      arc.output.resize(common);
      OpenState& next = open_[i + 1];
      for (Arc& later : next.arcs) later.output.insert(0, given_up);
      if (next.final) next.final_output.insert(0, given_up);
    }
    value.erase(0, common);
  }
}

BuildError FstBuilder::add(std::string_view key, std::string_view value) {
  if (key.empty()) return BuildError::EmptyKey;
  if (started_) {
    int order = key.compare(previous_);
    if (order < 0) return BuildError::KeyOutOfOrder;
    if (order == 0) return BuildError::DuplicateKey;
  }
  size_t prefix = started_ ? commonPrefix(key, previous_) : 0;
  BuildError error = freezeDownTo(prefix);
  if (error != BuildError::None) return error;

  std::string rest(value);
  pushOutputs(prefix, rest);
  if (open_.size() < key.size() + 1) open_.resize(key.size() + 1);
  for (size_t i = prefix; i < key.size(); ++i) {
    Arc arc;
    arc.ch = static_cast<unsigned char>(key[i]);
    open_[i].arcs.push_back(std::move(arc));
  }
  open_[key.size()].final = true;
  // Sorted distinct keys always leave the previous path, so the rest of the
  // value goes on the first new arc.
  open_[prefix].arcs.back().output = std::move(rest);
  previous_.assign(key);
  started_ = true;
  return BuildError::None;
}

BuildError FstBuilder::finish(std::string& out) {
  BuildError error = freezeDownTo(0);
  if (error != BuildError::None) return error;
  std::int64_t root = kNoTarget;
  error = compiler_.compileState(open_[0].arcs, kNoLeadingByte, root);
  if (error != BuildError::None) return error;
  return compiler_.finish(root, out);
}

}  // namespace VemoSDK::Fst
