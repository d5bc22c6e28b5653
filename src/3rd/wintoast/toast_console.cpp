#include "3rd/wintoast/toast_console.h"

#include <atomic>
#include <iostream>

namespace WinToastLib {

namespace {
std::atomic<bool> g_console{false};
}

void toastConsole(const std::wstring& text) {
  if (g_console) std::wcout << text << std::endl;
}

void setToastConsole(bool on) { g_console = on; }

}  // namespace WinToastLib
