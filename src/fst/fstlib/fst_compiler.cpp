#include "fst/fstlib/fst_compiler.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "fst/fstlib/fst_format.h"
#include "fst/fstlib/murmur_hash.h"
#include "fst/fstlib/varint.h"

namespace VemoSDK::Fst {

namespace {

constexpr size_t kDictionaryBuckets = 10000;
constexpr std::int64_t kMaxJumpDistance = 0xFFFF;
constexpr std::int64_t kMaxAddress = std::numeric_limits<std::uint32_t>::max();

void appendText(std::string& out, const std::string& text) {
  appendForwardVarint(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

// Equal states serialise equally; the arcs come in character order.
std::string serialise(const std::vector<Arc>& arcs) {
  std::string out;
  for (const Arc& arc : arcs) {
    out.push_back(static_cast<char>(arc.ch));
    out.push_back(arc.final ? 1 : 0);
    appendText(out, arc.output);
    appendText(out, arc.state_output);
    std::uint32_t target = static_cast<std::uint32_t>(arc.target);
    out.append(reinterpret_cast<const char*>(&target), sizeof target);
  }
  return out;
}

}  // namespace

const char* buildErrorText(BuildError error) {
  switch (error) {
    case BuildError::None: return "";
    case BuildError::EmptyKey: return "empty key";
    case BuildError::KeyOutOfOrder: return "keys out of order";
    case BuildError::DuplicateKey: return "duplicate key";
    case BuildError::JumpTableTooLarge: return "state too large for its jump table";
    case BuildError::TooLarge: return "table too large";
  }
  return "unknown error";
}

FstCompiler::FstCompiler(const KeyStats& stats) : stats_(stats), dictionary_(kDictionaryBuckets) {}

BuildError FstCompiler::compileState(const std::vector<Arc>& arcs, int leading_byte, std::int64_t& address) {
  if (arcs.empty()) {
    address = kNoTarget;
    return BuildError::None;
  }
  std::string key = serialise(arcs);
  std::vector<Known>& bucket = dictionary_[murmurHash64B(key.data(), key.size(), 0) % kDictionaryBuckets];
  for (const Known& known : bucket) {
    if (known.arcs == key) {
      address = known.address;
      return BuildError::None;
    }
  }
  std::vector<const Arc*> order;
  for (const Arc& arc : arcs) order.push_back(&arc);
  if (arcs.size() < kJumpTableMinArcs) {
    // Small states are scanned: frequent arcs first.
    std::stable_sort(order.begin(), order.end(), [&](const Arc* a, const Arc* b) {
      return stats_.pairCount(leading_byte, a->ch) > stats_.pairCount(leading_byte, b->ch);
    });
  }
  BuildError error = writeState(std::move(order), leading_byte, address);
  if (error != BuildError::None) return error;
  bucket.push_back({std::move(key), address});
  return BuildError::None;
}

// The arcs are written in reverse of their reading order, so that each lies
// directly below the one read before it; the first arc ends up on top.
BuildError FstCompiler::writeState(std::vector<const Arc*> order, int, std::int64_t& address) {
  std::vector<std::int64_t> flags(order.size());
  for (size_t i = order.size(); i-- > 0;) writeRecord(*order[i], i + 1 == order.size(), flags[i]);
  records_ += order.size();
  ++states_;
  address = flags[0];
  if (order.size() >= kJumpTableMinArcs) {
    std::int64_t widest = flags[0] - flags.back();
    if (widest > kMaxJumpDistance) return BuildError::JumpTableTooLarge;
    bool wide = widest > 0xFF;
    for (std::int64_t flag : flags) {
      std::int64_t distance = flags[0] - flag;
      data_.push_back(static_cast<char>(distance & 0xFF));
      if (wide) data_.push_back(static_cast<char>(distance >> 8));
    }
    appendReversedVarint(data_, static_cast<std::uint32_t>(order.size()));
    data_.push_back(static_cast<char>(wide ? kJumpTableMarker2 : kJumpTableMarker1));
    address = static_cast<std::int64_t>(data_.size()) - 1;
  }
  if (address > kMaxAddress) return BuildError::TooLarge;
  return BuildError::None;
}

void FstCompiler::writeRecord(const Arc& arc, bool last, std::int64_t& flag_address) {
  const std::int64_t start = static_cast<std::int64_t>(data_.size());
  unsigned char flag = 0;
  if (last) flag |= kFlagLast;
  if (arc.final) flag |= kFlagFinal;
  if (!arc.state_output.empty()) {
    data_ += arc.state_output;
    appendReversedVarint(data_, static_cast<std::uint32_t>(arc.state_output.size()));
    flag |= kFlagStateOutput;
  }
  if (!arc.output.empty()) {
    data_ += arc.output;
    appendReversedVarint(data_, static_cast<std::uint32_t>(arc.output.size()));
    flag |= kFlagOutput;
  }
  if (arc.target != kNoTarget && arc.target == start - 1) {
    flag |= kFlagNext;
  } else {
    std::int64_t delta = arc.target == kNoTarget ? 0 : start - arc.target;
    appendReversedVarint(data_, static_cast<std::uint32_t>(delta));
  }
  unsigned index = stats_.charIndex(arc.ch);
  unsigned indexed = flag | (index << kCharIndexShift);
  // 254 and 255 mark jump tables: such a flag stores its character instead.
  if (index == 0 || indexed >= kJumpTableMarker1) {
    data_.push_back(static_cast<char>(arc.ch));
  } else {
    flag = static_cast<unsigned char>(indexed);
  }
  data_.push_back(static_cast<char>(flag));
  flag_address = static_cast<std::int64_t>(data_.size()) - 1;
}

BuildError FstCompiler::finish(std::int64_t root, std::string& out) {
  std::uint32_t root_address = root == kNoTarget ? 0 : static_cast<std::uint32_t>(root);
  const auto& table = stats_.charTable();
  data_.append(reinterpret_cast<const char*>(table.data()), table.size());
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<char>((root_address >> (8 * i)) & 0xFF));
  data_.push_back(static_cast<char>(kHeader));
  if (data_.size() > static_cast<size_t>(kMaxAddress)) return BuildError::TooLarge;
  total_size_ = data_.size();
  out = std::move(data_);
  data_.clear();
  return BuildError::None;
}

BuildStats FstCompiler::stats() const { return {stats_.uniqueChars(), states_, records_, total_size_}; }

}  // namespace VemoSDK::Fst
