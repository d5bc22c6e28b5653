#include "webview/windows/window_class.h"

namespace VemoSDK {

bool registerWebViewWindowClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor, bool smallIcon) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return true;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  if (cursor) windowClass.hCursor = LoadCursorW(nullptr, cursor);
  if (smallIcon) windowClass.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace VemoSDK
