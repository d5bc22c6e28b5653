#include "core/save_as_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"

namespace {

// With a hook the explorer-style dialog keeps the classic layout the scripts expect.
UINT_PTR CALLBACK save_dialog_hook(HWND, UINT, WPARAM, LPARAM) { return 0; }

void log_current_directory(const char* format) {
  wchar_t current[kMaxLongPath] = {};
  GetCurrentDirectoryW(kMaxLongPath, current);
  vemo_debug_printf(format, wstring_to_utf8(current).c_str());
}

bool ends_with_ignoring_case(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() &&
         CompareStringOrdinal(text.c_str() + text.size() - suffix.size(), static_cast<int>(suffix.size()),
                              suffix.c_str(), static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

int vemosdkWindowsSaveAsFile(const char* path) {
  if (!path || !*path) return -1;
  std::wstring source = utf8_to_wstring(path);
  size_t separator = source.find_last_of(L'\\');
  if (separator == std::wstring::npos) separator = source.find_last_of(L'/');
  std::wstring name = separator == std::wstring::npos ? source : source.substr(separator + 1);
  // The extension belongs to the file name, not to a folder with a dot.
  size_t dot = name.find_last_of(L'.');
  std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot);

  std::wstring chosen(kMaxLongPath, L'\0');
  name.copy(chosen.data(), std::min<size_t>(name.size(), kMaxLongPath - 1));
  static const wchar_t kFilter[] = L"All Files\0*.*\0";
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = vmsdk_get_main_hwnd();
  dialog.lpstrFilter = extension.empty() ? nullptr : kFilter;
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = kMaxLongPath;
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_ENABLEHOOK;
  dialog.lpfnHook = save_dialog_hook;

  log_current_directory("[original]GetCurrentDirectory=%s");
  BOOL saved = GetSaveFileNameW(&dialog);
  log_current_directory("[change]GetCurrentDirectory=%s");
  if (!saved) {
    vemo_debug_printf("vemosdkWindowsSaveAsFile GetSaveFileName error");
    return -1;
  }
  chosen.resize(chosen.find(L'\0'));
  if (!extension.empty() && !ends_with_ignoring_case(chosen, extension)) chosen += extension;
  vemo_debug_printf("vemosdkWindowsSaveAsFile last filePathStr=%s \n", wstring_to_utf8(chosen).c_str());
  if (!CopyFileW(to_long_path(source).c_str(), to_long_path(chosen).c_str(), TRUE)) {
    vemo_debug_printf("vemosdkWindowsSaveAsFile CopyFile error \n");
    return -2;
  }
  return 0;
}
