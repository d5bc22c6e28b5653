#include "lua/sensitive_words/sensitive_words_trie.h"

#include <limits>

namespace VemoSDK {

SensitiveWordsTrie& SensitiveWordsTrie::instance() {
  static SensitiveWordsTrie trie;
  return trie;
}

SensitiveWordsTrie::SensitiveWordsTrie() : nodes_(1) {}

size_t SensitiveWordsTrie::indexOf(Handle node) const {
  if (node == kRootHandle) return 0;
  return static_cast<size_t>(node - first_handle_) + 1;
}

bool SensitiveWordsTrie::isValid(Handle node) const {
  if (node == kRootHandle) return true;
  return node >= first_handle_ && node - first_handle_ < nodes_.size() - 1;
}

SensitiveWordsTrie::Handle SensitiveWordsTrie::child(Handle node, Code code) const {
  for (std::uint32_t index : nodes_[indexOf(node)].children) {
    if (nodes_[index].code == code) return handleOf(index);
  }
  return 0;
}

bool SensitiveWordsTrie::isEnd(Handle node) const { return nodes_[indexOf(node)].end; }

void SensitiveWordsTrie::insert(const Code* codes, size_t count) {
  size_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t next = 0;
    for (std::uint32_t index : nodes_[at].children) {
      if (nodes_[index].code == codes[i]) {
        next = index;
        break;
      }
    }
    if (next == 0) {
      next = nodes_.size();
      Node node;
      node.code = codes[i];
      nodes_.push_back(std::move(node));
      nodes_[at].children.push_back(static_cast<std::uint32_t>(next));
      bytes_ += kBytesPerNode;
    }
    at = next;
  }
  if (count > 0) nodes_[at].end = true;
}

void SensitiveWordsTrie::clean() {
  Handle used = static_cast<Handle>(nodes_.size() - 1);
  // Handles of the old nodes are never given out again (until the count
  // of all nodes ever made wraps around the address space).
  first_handle_ = first_handle_ > std::numeric_limits<Handle>::max() - used - 1 ? kRootHandle + 1
                                                                                 : first_handle_ + used;
  nodes_.assign(1, Node{});
  bytes_ = 0;
}

}  // namespace VemoSDK
