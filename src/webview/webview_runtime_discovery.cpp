#include "webview/webview_runtime_discovery.h"

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_paths.h"
#include "core/string_utils.h"
#include "core/text_convert.h"
#include "webview/engine/web_engine.h"

#include <windows.h>

namespace VemoSDK {
namespace {

// The last runtime that runs on Windows 7, 8 and 8.1.
constexpr const char* kLastRuntimeForOldWindows = "109.0.1518.140";

bool isWindows7Or8() {
  // GetVersionEx lies to programs without a manifest; the kernel's own
  // numbers do not.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return false;
  return info.dwMajorVersion == 6 && info.dwMinorVersion >= 1;
}

std::string manifestVersion(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(folder + L"\\*.manifest").c_str(), &entry));
  if (!find) return "";
  std::wstring name = entry.cFileName;
  return wstring_to_utf8(name.substr(0, name.rfind(L'.')));
}

}  // namespace

std::wstring WebViewRuntimeDiscovery::folder() {
  std::wstring stored = vemosdk_get_webview_path();
  if (!stored.empty()) return stored;
  return get_program_dir_w() + L"WebView2";
}

int WebViewRuntimeDiscovery::check() {
  std::wstring runtime = folder();
  DWORD attributes = GetFileAttributesW(to_long_path(runtime).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  // A runtime that names a running browser's DevTools endpoint runs that
  // browser outside this Windows: no Windows version limits it.
  if (!isWindows7Or8() || file_exists(runtime + L"\\" + WebEngine::kEndpointFileName)) return 1;
  // The runtime's own version decides: a runtime newer than the last one
  // these systems run cannot start.
  return compare_version(manifestVersion(runtime), kLastRuntimeForOldWindows) > 0 ? -1 : 1;
}

}  // namespace VemoSDK
