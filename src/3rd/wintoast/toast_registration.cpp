// The registry keys that route a click on a toast back to this program: the
// activator CLSID's LocalServer32 command line and the AUMID's
// "CustomActivator", both under HKEY_CURRENT_USER.
#include "3rd/wintoast/wintoastlib.h"

#include "core/debug_log.h"
#include "core/owners.h"

#include <objbase.h>


namespace WinToastLib {

namespace {

std::wstring guidToString(const GUID& clsid) {
  LPOLESTR raw = nullptr;
  HRESULT made = StringFromCLSID(clsid, &raw);
  vemo::CoTaskPtr<wchar_t> text(raw);
  if (FAILED(made) || !text) {
    vemo_debug_printf("VemoSDKNotification GuidToString: Failed to convert CLSID to string");
    return L"";
  }
  std::wstring converted = text.get();
  vemo_debug_printf("VemoSDKNotification GuidToString: Converted CLSID to string: %ls", converted.c_str());
  return converted;
}

LSTATUS writeString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// A backslash would name a key elsewhere in the registry.
bool isUsableAumid(const std::wstring& aumid) { return !aumid.empty() && aumid.find(L'\\') == std::wstring::npos; }

}  // namespace

HRESULT RegisterComServer(const GUID& clsid, const std::wstring& exe_path) {
  std::wstring clsid_text = guidToString(clsid);
  if (clsid_text.empty()) return E_FAIL;
  std::wstring path = L"SOFTWARE\\Classes\\CLSID\\" + clsid_text + L"\\LocalServer32";
  std::wstring command = L"\"" + exe_path + L"\" " + kToastActivatedArgument;
  vemo_debug_printf("VemoSDKNotification RegisterComServer: Writing command line, Key: %ls, Command: %ls",
                    path.c_str(), command.c_str());
  vemo::UniqueRegKey key;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr);
  if (status == ERROR_SUCCESS) status = writeString(key.get(), nullptr, command);
  if (status != ERROR_SUCCESS) {
    HRESULT result = HRESULT_FROM_WIN32(status);
    vemo_debug_printf("VemoSDKNotification RegisterComServer: FAILED to write LocalServer32\nKey: %ls\nError: 0x%08X",
                      path.c_str(), static_cast<unsigned>(result));
    return result;
  }
  vemo_debug_printf("VemoSDKNotification RegisterComServer: SUCCESS for CLSID=%ls", clsid_text.c_str());
  return S_OK;
}

HRESULT BindAumidToCustomActivator(const std::wstring& aumid, const GUID& clsid) {
  if (!isUsableAumid(aumid)) return E_INVALIDARG;
  std::wstring clsid_text = guidToString(clsid);
  if (clsid_text.empty()) return E_FAIL;
  std::wstring path = L"Software\\Classes\\AppUserModelId\\" + aumid;
  vemo_debug_printf("VemoSDKNotification BindAumidToCustomActivator: Setting up AUMID binding\nAUMID: %ls\nCLSID: %ls",
                    aumid.c_str(), clsid_text.c_str());
  vemo::UniqueRegKey key;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr);
  if (status != ERROR_SUCCESS) {
    HRESULT result = HRESULT_FROM_WIN32(status);
    vemo_debug_printf("VemoSDKNotification BindAumidToCustomActivator: Failed to create registry key\nPath: %ls\nError: 0x%08X",
                      path.c_str(), static_cast<unsigned>(result));
    return result;
  }
  status = writeString(key.get(), L"CustomActivator", clsid_text);
  if (status != ERROR_SUCCESS) {
    HRESULT result = HRESULT_FROM_WIN32(status);
    vemo_debug_printf(
        "VemoSDKNotification BindAumidToCustomActivator: Failed to set 'CustomActivator' value\nAUMID: %ls\nCLSID: %ls\nError: 0x%08X",
        aumid.c_str(), clsid_text.c_str(), static_cast<unsigned>(result));
    return result;
  }
  vemo_debug_printf("VemoSDKNotification BindAumidToCustomActivator: SUCCESS\nAUMID='%ls' -> CLSID=%ls", aumid.c_str(),
                    clsid_text.c_str());
  return S_OK;
}

HRESULT RegisterAumidAndComServer(const std::wstring& aumid, const GUID& clsid) {
  if (aumid.empty()) {
    vemo_debug_printf("VemoSDKNotification RegisterAumidAndComServer: Invalid argument - aumid is null or empty");
    return E_INVALIDARG;
  }
  if (!isUsableAumid(aumid)) {
    vemo_debug_printf("VemoSDKNotification RegisterAumidAndComServer: Invalid argument - aumid holds a backslash");
    return E_INVALIDARG;
  }
  vemo_debug_printf("VemoSDKNotification RegisterAumidAndComServer: Starting registration, AUMID='%ls'", aumid.c_str());
  wchar_t exe_path[2048];
  DWORD length = GetModuleFileNameW(nullptr, exe_path, 2048);
  if (length == 0 || length >= 2048) {
    DWORD error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
    return HRESULT_FROM_WIN32(error);
  }
  HRESULT result = RegisterComServer(clsid, exe_path);
  if (FAILED(result)) return result;
  return BindAumidToCustomActivator(aumid, clsid);
}

}  // namespace WinToastLib
