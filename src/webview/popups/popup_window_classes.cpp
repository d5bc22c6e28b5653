#include "webview/popups/popup_window_classes.h"

#include "core/debug_log.h"

#include <commctrl.h>
#include <richedit.h>

namespace VemoSDK {
namespace {

// The message keeps the arrow cursor: it is text to read, not to edit.
LRESULT CALLBACK arrowCursor(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool registerPopupClass(const wchar_t* name, WNDPROC procedure, COLORREF background) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return true;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = CreateSolidBrush(background);  // lives as long as the class
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

HFONT makePopupFont(int height, int weight) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"PingFang SC");
}

HWND makeMessageBox(HWND parent, const std::wstring& text, int x, int y, int width, int height, bool centred,
                    COLORREF background, HFONT font, const char* what) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_READONLY | ES_MULTILINE | ES_AUTOVSCROLL | (centred ? ES_CENTER : 0);
  HWND box = CreateWindowExW(0, L"RichEdit20W", text.c_str(), style, x, y, width, height, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (box) {
    SendMessageW(box, EM_SETBKGNDCOLOR, 0, background);
    SetWindowSubclass(box, arrowCursor, 1, 0);
  } else {
    vemo_debug_print(what);
    box = CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | WS_VISIBLE | (centred ? SS_CENTER : 0), x, y, width,
                          height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  if (box && font) SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return box;
}

}  // namespace VemoSDK
