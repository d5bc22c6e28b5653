#pragma once
// MurmurHash64B (the 64-bit hash for 32-bit machines of the MurmurHash2
// family), used to find equal states in the compiler's dictionary.
#include <cstddef>
#include <cstdint>

namespace VemoSDK::Fst {

std::uint64_t murmurHash64B(const void* data, size_t length, std::uint64_t seed);

}  // namespace VemoSDK::Fst
