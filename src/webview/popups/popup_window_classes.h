#pragma once
// What the alert and the toast share: their window classes, fonts and the
// rich-edit library.
#include <windows.h>

#include <string>

#include "core/owners.h"

namespace VemoSDK {

// Registers a class once per process; false when it cannot be registered.
bool registerPopupClass(const wchar_t* name, WNDPROC procedure, COLORREF background);

HFONT makePopupFont(int height, int weight);

// The rich-edit library while the object lives.
class RichEditLibrary {
public:
  RichEditLibrary() : module_(LoadLibraryW(L"Riched20.dll")) {}

private:
  vemo::UniqueModule module_;
};

// A read-only, multi-line text box: a rich edit, or a static control when
// the rich edit cannot be made (logged with `what`).
HWND makeMessageBox(HWND parent, const std::wstring& text, int x, int y, int width, int height, bool centred,
                    COLORREF background, HFONT font, const char* what);

}  // namespace VemoSDK
