#include "lua/winmutex/scoped_name.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace VemoSDK::LuaWinMutex {

namespace {

constexpr std::uint64_t kHashStart = 0x14650FB0739D0383ull;
constexpr std::uint64_t kFnvPrime = 0x100000001B3ull;

bool isReserved(wchar_t c) { return c < 32 || std::wcschr(L"\"*/:<>?\\|", c) != nullptr; }

}  // namespace

std::uint64_t pathHash(const std::wstring& path) {
  std::uint64_t hash = kHashStart;
  for (wchar_t unit : path) {
    hash ^= static_cast<std::uint16_t>(unit);
    hash *= kFnvPrime;
  }
  return hash;
}

std::wstring scopedName(const std::wstring& name, const std::wstring& exe_path) {
  std::wstring scoped = name;
  for (wchar_t& c : scoped) {
    if (isReserved(c)) c = L'_';
  }
  std::wstring lower = exe_path;
  if (!lower.empty()) CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  wchar_t suffix[24];
  std::swprintf(suffix, 24, L"_%016llX", static_cast<unsigned long long>(pathHash(lower)));
  return scoped + suffix;
}

}  // namespace VemoSDK::LuaWinMutex
