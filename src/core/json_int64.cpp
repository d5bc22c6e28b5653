#include "core/json_int64.h"

#include <limits>

namespace {

// Walks JSON text just far enough to find member values; every step returns
// false at the first byte that cannot continue a JSON document.
class Scanner {
public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void skipSpace() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  bool take(char c) {
    skipSpace();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool peek(char c) {
    skipSpace();
    return at_ < text_.size() && text_[at_] == c;
  }
  // A string's raw text between its quotes (escapes left as written).
  bool string(std::string_view& raw) {
    if (!take('"')) return false;
    size_t begin = at_;
    while (at_ < text_.size() && text_[at_] != '"') at_ += text_[at_] == '\\' ? 2 : 1;
    if (at_ >= text_.size()) return false;
    raw = text_.substr(begin, at_ - begin);
    ++at_;
    return true;
  }
  // Any value; `raw` gets its text when it is a number or a literal word
  // (and stays empty for strings, objects and arrays).
  bool value(std::string_view& raw, int depth = 0) {
    raw = {};
    skipSpace();
    if (at_ >= text_.size() || depth > kMaxDepth) return false;
    char c = text_[at_];
    if (c == '"') {
      std::string_view text;
      return string(text);
    }
    if (c == '{' || c == '[') return container(depth);
    size_t begin = at_;
    while (at_ < text_.size() && isWordByte(text_[at_])) ++at_;
    raw = text_.substr(begin, at_ - begin);
    return at_ > begin;
  }
  // An object whose members are handed to `member` (name, raw value).
  template <class Member>
  bool object(Member member) {
    if (!take('{')) return false;
    if (take('}')) return true;
    do {
      std::string_view name, raw;
      if (!string(name) || !take(':') || !value(raw, 1)) return false;
      member(name, raw);
    } while (take(','));
    return take('}');
  }

private:
  static constexpr int kMaxDepth = 512;

  static bool isWordByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '+' ||
           c == '.';
  }
  bool container(int depth) {
    char close = text_[at_] == '{' ? '}' : ']';
    ++at_;
    if (take(close)) return true;
    do {
      std::string_view raw;
      if (close == '}' && (!string(raw) || !take(':'))) return false;
      if (!value(raw, depth + 1)) return false;
    } while (take(','));
    return take(close);
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

std::optional<int64_t> json_integer_literal(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 19) return std::nullopt;
  // Values up to 2^63 fit as unsigned; the sign decides the upper bound.
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (text.size() == 19 && text > "9223372036854775808") return std::nullopt;  // above 2^63
  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (negative) return value > kMax ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
  if (value > kMax) return std::nullopt;
  return static_cast<int64_t>(value);
}

std::vector<std::optional<int64_t>> json_array_member_integers(std::string_view json, std::string_view key) {
  std::vector<std::optional<int64_t>> found;
  Scanner scan(json);
  if (!scan.take('[') || scan.take(']')) return found;
  do {
    std::optional<int64_t> value;
    if (scan.peek('{')) {
      bool seen = false;
      bool ok = scan.object([&](std::string_view name, std::string_view raw) {
        if (seen || name != key) return;
        seen = true;
        value = json_integer_literal(raw);
      });
      if (!ok) return found;
    } else {
      std::string_view raw;
      if (!scan.value(raw)) return found;
    }
    found.push_back(value);
  } while (scan.take(','));
  return found;
}
