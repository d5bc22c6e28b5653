#include "dpi.h"

#include "core/owners.h"

UINT read_system_dpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 96;
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void set_system_dpi_awareness() {
  // Windows 10 1703 and later.
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    auto set_context = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (set_context && set_context(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)))) return;
  }
  // Windows 8.1 and later: 1 is system aware; success is S_OK.
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  if (vemo::UniqueModule shcore{LoadLibraryW(L"Shcore.dll")}) {
    auto set_awareness = reinterpret_cast<SetAwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(shcore.get(), "SetProcessDpiAwareness")));
    if (set_awareness && set_awareness(1) == S_OK) return;
  }
  SetProcessDPIAware();
}
