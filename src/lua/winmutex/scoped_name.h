#pragma once
// Names of the scripts' named mutexes, scoped to the executable's path so
// that two installations in different folders never share one.
#include <cstdint>
#include <string>

namespace VemoSDK::LuaWinMutex {

// The 64-bit hash of a path: FNV-1a over its UTF-16 units, from its own start value.
std::uint64_t pathHash(const std::wstring& path);
// The name with control and reserved characters made underscores, then "_"
// and the hash of the lower-case path in 16 upper-case hex digits.
std::wstring scopedName(const std::wstring& name, const std::wstring& exe_path);

}  // namespace VemoSDK::LuaWinMutex
