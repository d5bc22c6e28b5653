#pragma once
// What the toast library needs of the system, looked up at run time so that
// the programs still start where it is missing (Windows 7): the shell's and
// the Windows Runtime's functions, and the system version.
#include <windows.h>

#include <cstdint>

namespace WinToastLib {

struct HStringTag;
using HSTRING = HStringTag*;
// Opaque to us; the system's is at most five pointers long.
struct HStringHeader {
  void* reserved[6];
};

struct ToastSystem {
  HRESULT(WINAPI* setCurrentProcessExplicitAppUserModelID)(PCWSTR) = nullptr;
  HRESULT(WINAPI* propVariantToString)(const void*, PWSTR, UINT) = nullptr;
  HRESULT(WINAPI* roGetActivationFactory)(HSTRING, REFIID, void**) = nullptr;
  HRESULT(WINAPI* windowsCreateStringReference)(PCWSTR, UINT32, HStringHeader*, HSTRING*) = nullptr;
  PCWSTR(WINAPI* windowsGetStringRawBuffer)(HSTRING, UINT32*) = nullptr;
  HRESULT(WINAPI* windowsDeleteString)(HSTRING) = nullptr;
  DWORD major = 0, minor = 0, build = 0;  // zeros when unknown

  bool compatible() const {
    return setCurrentProcessExplicitAppUserModelID && propVariantToString && roGetActivationFactory &&
           windowsCreateStringReference && windowsGetStringRawBuffer && windowsDeleteString;
  }
  bool modernFeatures() const { return major > 6; }   // actions, sounds, attributes
  bool imagePlacement() const { return build >= 14393; }  // hero images and crops
};

// Looked up once per process.
const ToastSystem& toastSystem();

}  // namespace WinToastLib
