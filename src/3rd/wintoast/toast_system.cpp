#include "3rd/wintoast/toast_system.h"

namespace WinToastLib {

namespace {

template <class F>
void lookUp(HMODULE module, const char* name, F& function) {
  function = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct OsVersionInfo {
  ULONG size, major, minor, build, platform;
  WCHAR service_pack[128];
};

ToastSystem lookUpSystem() {
  ToastSystem system;
  // Loaded for the life of the process: the pointers stay valid.
  HMODULE shell = LoadLibraryW(L"SHELL32.DLL");
  HMODULE propsys = LoadLibraryW(L"PROPSYS.DLL");
  HMODULE combase = LoadLibraryW(L"COMBASE.DLL");
  lookUp(shell, "SetCurrentProcessExplicitAppUserModelID", system.setCurrentProcessExplicitAppUserModelID);
  lookUp(propsys, "PropVariantToString", system.propVariantToString);
  lookUp(combase, "RoGetActivationFactory", system.roGetActivationFactory);
  lookUp(combase, "WindowsCreateStringReference", system.windowsCreateStringReference);
  lookUp(combase, "WindowsGetStringRawBuffer", system.windowsGetStringRawBuffer);
  lookUp(combase, "WindowsDeleteString", system.windowsDeleteString);

  LONG(WINAPI * rtlGetVersion)(OsVersionInfo*) = nullptr;
  lookUp(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion", rtlGetVersion);
  OsVersionInfo info = {};
  info.size = sizeof info;
  if (rtlGetVersion && rtlGetVersion(&info) == 0) {
    system.major = info.major;
    system.minor = info.minor;
    system.build = info.build;
  }
  return system;
}

}  // namespace

const ToastSystem& toastSystem() {
  static const ToastSystem system = lookUpSystem();
  return system;
}

}  // namespace WinToastLib
