#pragma once
// Helpers of the FST tests: lookups as text, random tables, and bytes laid
// against inaccessible pages so that a read outside them faults at once.
#include <windows.h>

#include <map>
#include <random>
#include <string>

#include "fst/fst.h"

namespace vemo::test {

// The value, "<absent>" or "<corrupt>" ("<invalid>" when the data does not open).
inline std::string lookup(const unsigned char* data, size_t size, const std::string& key) {
  VemoSDK::Fst::FstReader reader;
  if (!reader.open(data, size)) return "<invalid>";
  std::string value;
  switch (reader.find(key, value)) {
    case VemoSDK::Fst::Lookup::Found: return value;
    case VemoSDK::Fst::Lookup::Absent: return "<absent>";
    case VemoSDK::Fst::Lookup::Corrupt: break;
  }
  return "<corrupt>";
}

inline std::string lookup(const std::string& data, const std::string& key) {
  return lookup(reinterpret_cast<const unsigned char*>(data.data()), data.size(), key);
}

// `count` keys of 1-12 bytes over a small alphabet (so that they share
// prefixes) with values of `mean_value` bytes on average that share prefixes too.
inline std::map<std::string, std::string> random_table(size_t count, size_t mean_value, unsigned seed) {
  std::mt19937 random(seed);
  const std::string alphabet = "etaoinshrdlucmfwypvbgkqjxz0123456789-_\xc3\xa9";
  std::map<std::string, std::string> table;
  while (table.size() < count) {
    std::string key(1 + random() % 12, ' ');
    for (char& c : key) c = alphabet[random() % alphabet.size()];
    size_t length = 1 + random() % (2 * mean_value - 1);
    std::string value = ("v" + std::to_string(random() % 97)).substr(0, length);
    while (value.size() < length) value.push_back(static_cast<char>(random() % 256));
    table[key] = value;
  }
  return table;
}

// A copy of bytes whose first byte follows a no-access page and whose last
// byte is followed by one (two placements, since the size is rarely a
// multiple of the page size).
class GuardedBytes {
public:
  GuardedBytes(const std::string& bytes, bool against_end) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_t page = info.dwPageSize;
    size_t pages = (bytes.size() + page - 1) / page + 2;
    base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_, page, PAGE_NOACCESS, &old);
    VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
    data_ = against_end ? base_ + (pages - 1) * page - bytes.size() : base_ + page;
    if (!bytes.empty()) memcpy(data_, bytes.data(), bytes.size());
    size_ = bytes.size();
  }
  ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }

private:
  unsigned char* base_ = nullptr;
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace vemo::test
