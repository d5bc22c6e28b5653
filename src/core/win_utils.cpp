#include "core/win_utils.h"

#include "core/owners.h"

#include <objbase.h>

#include <cwchar>

namespace {

struct WindowsVersion {
  bool known = false;
  DWORD platform = 0, major = 0, minor = 0;
};

// RtlGetVersion reports the real version, whatever the compatibility
// settings of the executable make GetVersionEx say.
WindowsVersion windows_version() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  WindowsVersion version;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return version;
  auto rtl_get_version = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!rtl_get_version) return version;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (rtl_get_version(&info) != 0) return version;
  return {true, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace

std::wstring windows_message(DWORD code) {
  wchar_t* raw = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  vemo::LocalPtr<wchar_t> buffer(raw);
  std::wstring text;
  if (n && buffer) text.assign(buffer.get(), n);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'\0'))
    text.pop_back();
  return text;
}

std::wstring windows_error_text(DWORD code) {
  std::wstring text = windows_message(code);
  if (text.empty()) {
    wchar_t unknown[32];
    std::swprintf(unknown, 32, L"Unknown error %04X", static_cast<unsigned>(code));
    text = unknown;
  }
  return text;
}

std::wstring guid_to_string(const GUID& guid) {
  wchar_t text[80] = {};
  int n = StringFromGUID2(guid, text, 80);
  return n > 0 ? std::wstring(text, static_cast<size_t>(n - 1)) : std::wstring();
}

bool is_windows7() {
  WindowsVersion v = windows_version();
  return v.known && v.platform == VER_PLATFORM_WIN32_NT && v.major == 6 && v.minor == 1;
}

bool is_windows8_or_81() {
  WindowsVersion v = windows_version();
  return v.known && v.platform == VER_PLATFORM_WIN32_NT && v.major == 6 && (v.minor == 2 || v.minor == 3);
}
