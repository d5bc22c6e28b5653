#pragma once
// The window classes of the web view windows, registered once each.
#include <windows.h>

namespace VemoSDK {

// Registers the class (redrawn on resize) unless it is already there; false
// when it cannot be registered. cursor null: the window sets its own.
bool registerWebViewWindowClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor, bool smallIcon);

}  // namespace VemoSDK
