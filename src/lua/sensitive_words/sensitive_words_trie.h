#pragma once
// The process-wide trie of words to filter: words are arrays of integer
// character codes, so the scripts choose the encoding. Nodes are handed out
// as handles that stay valid until `clean`; a handle from before a clean is
// never taken for a node made after it. Used from the Lua thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace VemoSDK {

class SensitiveWordsTrie {
public:
  using Handle = std::uintptr_t;  // 0 is no node
  using Code = std::int64_t;

  static SensitiveWordsTrie& instance();

  void insert(const Code* codes, size_t count);
  // Frees every node but the root; the byte count starts again at 0.
  void clean();

  Handle root() const { return kRootHandle; }
  bool isValid(Handle node) const;
  // The child with that code; 0 when there is none. The node must be valid.
  Handle child(Handle node, Code code) const;
  bool isEnd(Handle node) const;
  // 20 bytes for each node created since the last clean.
  size_t size() const { return bytes_; }
  bool isEmpty() const { return nodes_[0].children.empty(); }

private:
  static constexpr Handle kRootHandle = 1;
  static constexpr size_t kBytesPerNode = 20;

  struct Node {
    Code code = -1;
    bool end = false;
    std::vector<std::uint32_t> children;  // indexes into nodes_
  };

  SensitiveWordsTrie();
  size_t indexOf(Handle node) const;
  Handle handleOf(size_t index) const { return index == 0 ? kRootHandle : first_handle_ + (index - 1); }

  std::vector<Node> nodes_;  // nodes_[0] is the root
  Handle first_handle_ = kRootHandle + 1;  // handle of nodes_[1]; grows at each clean
  size_t bytes_ = 0;
};

}  // namespace VemoSDK
