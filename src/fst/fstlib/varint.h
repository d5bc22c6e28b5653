#pragma once
// The two varint layouts of FST tables, both for unsigned 32-bit values in
// 7-bit groups. A value that needs more than 32 bits, or more than 5 bytes,
// is refused when read.
#include <cstddef>
#include <cstdint>
#include <string>

namespace VemoSDK::Fst {

constexpr size_t kMaxVarintBytes = 5;

// Forward (LEB128): least significant group first, bit 7 set on every byte
// but the last.
void appendForwardVarint(std::string& out, std::uint32_t value);
// Reads one at data[0..size); the bytes it took, 0 when the data ends inside
// it or it does not fit.
size_t readForwardVarint(const unsigned char* data, size_t size, std::uint32_t& value);

// Reversed, as stored in the records: most significant group first (lowest
// address), and only its byte has bit 7 set, so a reader walking down from
// the last byte knows where it ends.
void appendReversedVarint(std::string& out, std::uint32_t value);
// Reads one whose last byte is data[last], walking down to data[0] at most;
// the bytes it took, 0 when it runs out of data or does not fit.
size_t readReversedVarint(const unsigned char* data, size_t last, std::uint32_t& value);

}  // namespace VemoSDK::Fst
