// Both varint layouts: exact bytes, round trips at the edges of the 32-bit
// range, and data that ends inside a varint or does not fit 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fst/fst.h"

namespace {

using namespace VemoSDK::Fst;

const unsigned char* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

TEST(FstVarint, ForwardAndReversedBytes) {
  struct Case {
    std::uint32_t value;
    std::string forward, reversed;
  };
  const Case cases[] = {
      {0, std::string(1, '\0'), "\x80"},
      {127, "\x7f", "\xff"},
      {128, "\x80\x01", std::string("\x81\x00", 2)},
      {300, "\xac\x02", "\x82\x2c"},
      {0xFFFFFFFF, "\xff\xff\xff\xff\x0f", "\x8f\x7f\x7f\x7f\x7f"},
  };
  for (const Case& c : cases) {
    std::string forward, reversed;
    appendForwardVarint(forward, c.value);
    appendReversedVarint(reversed, c.value);
    EXPECT_EQ(c.forward, forward) << c.value;
    EXPECT_EQ(c.reversed, reversed) << c.value;
    std::uint32_t read = 1;
    EXPECT_EQ(forward.size(), readForwardVarint(bytes(forward), forward.size(), read));
    EXPECT_EQ(c.value, read);
    // A reversed varint is read from its last byte down, whatever lies below it.
    std::string padded = "\x81\x81" + reversed;
    EXPECT_EQ(reversed.size(), readReversedVarint(bytes(padded), padded.size() - 1, read));
    EXPECT_EQ(c.value, read);
  }
}

TEST(FstVarint, TruncatedOversizedAndTooLongAreRefused) {
  const std::string forward_refused[] = {
      "",                       // nothing
      "\x80",                   // ends inside
      "\xff\xff\xff\xff\x10",   // needs 33 bits
      "\x80\x80\x80\x80\x80\x01",  // longer than 5 bytes
  };
  std::uint32_t value = 0;
  for (const std::string& data : forward_refused) {
    EXPECT_EQ(0u, readForwardVarint(bytes(data), data.size(), value)) << data.size();
  }
  const std::string reversed_refused[] = {
      std::string("\x00\x00", 2),  // no end marker before the data begins
      "\x90\x7f\x7f\x7f\x7f",      // needs 33 bits
      std::string("\x80\x00\x00\x00\x00\x00", 6),  // longer than 5 bytes
  };
  for (const std::string& data : reversed_refused) {
    EXPECT_EQ(0u, readReversedVarint(bytes(data), data.size() - 1, value)) << data.size();
  }
}

}  // namespace
