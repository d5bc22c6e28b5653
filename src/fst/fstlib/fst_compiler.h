#pragma once
// Writes frozen states into the output, each once: a state equal to one
// written before (same arcs with the same characters, flags, outputs and
// targets) is found in a dictionary and shared.
#include <cstdint>
#include <string>
#include <vector>

#include "fst/fstlib/key_stats.h"

namespace VemoSDK::Fst {

enum class BuildError {
  None = 0,
  EmptyKey = 1,
  KeyOutOfOrder = 2,
  DuplicateKey = 3,
  JumpTableTooLarge = 4,  // an arc lies 64 KB or more from its state's first arc
  TooLarge = 5,           // addresses beyond 32 bits
};
const char* buildErrorText(BuildError error);

constexpr std::int64_t kNoTarget = -1;

struct Arc {
  unsigned char ch = 0;
  bool final = false;         // a key ends after this arc
  std::string output;
  std::string state_output;  // appended when a key ends after this arc
  std::int64_t target = kNoTarget;
};

struct BuildStats {
  size_t unique_chars = 0;
  size_t states = 0;
  size_t records = 0;
  size_t total_size = 0;
};

class FstCompiler {
public:
  explicit FstCompiler(const KeyStats& stats);

  // Writes a state whose arcs are in ascending character order (or finds an
  // equal one); its address, kNoTarget for a state without arcs.
  BuildError compileState(const std::vector<Arc>& arcs, int leading_byte, std::int64_t& address);
  // Appends the footer for the root and hands the data over.
  BuildError finish(std::int64_t root, std::string& out);
  BuildStats stats() const;

private:
  struct Known {
    std::string arcs;  // the serialised arcs
    std::int64_t address;
  };
  BuildError writeState(std::vector<const Arc*> order, int leading_byte, std::int64_t& address);
  void writeRecord(const Arc& arc, bool last, std::int64_t& flag_address);

  const KeyStats& stats_;
  std::string data_;
  std::vector<std::vector<Known>> dictionary_;
  size_t states_ = 0, records_ = 0, total_size_ = 0;
};

}  // namespace VemoSDK::Fst
