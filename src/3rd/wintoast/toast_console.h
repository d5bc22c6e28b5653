#pragma once
// The toast library's diagnostic texts: to the standard wide output, only
// while its console switch is on.
#include <string>

namespace WinToastLib {

void toastConsole(const std::wstring& text);
void setToastConsole(bool on);

}  // namespace WinToastLib
