// The start-menu shortcut that carries the AUMID, which unpackaged programs
// on older systems need before their toasts are shown. Not called by the
// system; kept for hosts that want it.
#include "3rd/wintoast/wintoastlib.h"

#include "3rd/wintoast/toast_console.h"
#include "core/owners.h"

#include <objbase.h>
#include <objidl.h>
#include <propidl.h>
#include <shobjidl.h>

namespace WinToastLib {

namespace {

// The AppUserModel.ID property of a shell link: {9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, 5.
const PROPERTYKEY kAppUserModelIdKey = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

HRESULT createShellLink(const std::wstring& exe_path, const std::wstring& link_path, const std::wstring& aumid) {
  IShellLinkW* raw_link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&raw_link));
  if (FAILED(result)) return result;
  vemo::ComPtr<IShellLinkW> link(raw_link);
  link->SetPath(exe_path.c_str());
  IPropertyStore* raw_store = nullptr;
  result = link->QueryInterface(IID_IPropertyStore, reinterpret_cast<void**>(&raw_store));
  if (FAILED(result)) return result;
  vemo::ComPtr<IPropertyStore> store(raw_store);
  PROPVARIANT value;
  PropVariantInit(&value);
  value.vt = VT_LPWSTR;
  value.pwszVal = const_cast<wchar_t*>(aumid.c_str());  // read, not kept, by SetValue
  result = store->SetValue(kAppUserModelIdKey, value);
  if (SUCCEEDED(result)) result = store->Commit();
  if (FAILED(result)) return result;
  IPersistFile* raw_file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&raw_file));
  if (FAILED(result)) return result;
  vemo::ComPtr<IPersistFile> file(raw_file);
  return file->Save(link_path.c_str(), TRUE);
}

}  // namespace

int WinToast::ensureShellLink() {
  if (!isCompatible()) {
    toastConsole(L"Your OS is not compatible with this library! =(");
    return E_FAIL;
  }
  wchar_t exe_path[2048];
  DWORD length = GetModuleFileNameW(nullptr, exe_path, 2048);
  if (length == 0 || length >= 2048) return E_FAIL;
  toastConsole(std::wstring(L"Default executable path: ") + exe_path);
  wchar_t app_data[2048];
  DWORD data_length = GetEnvironmentVariableW(L"APPDATA", app_data, 2048);
  if (data_length == 0 || data_length >= 2048) return E_FAIL;
  std::wstring folder = std::wstring(app_data) + L"\\Microsoft\\Windows\\Start Menu\\Programs\\";
  std::wstring link_path = folder + app_name_ + L".lnk";
  toastConsole(L"Default shell link path: " + folder);
  toastConsole(L"Default shell link file path: " + link_path);
  if (GetFileAttributesW(link_path.c_str()) != INVALID_FILE_ATTRIBUTES) return S_OK;
  toastConsole(L"Error, shell link not found. Try to create a new one in: " + link_path);
  return createShellLink(exe_path, link_path, aumid_);
}

}  // namespace WinToastLib
