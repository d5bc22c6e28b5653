// _vemosdk.copy_clipboard: puts a text on the clipboard, owned by the host window.
#include <windows.h>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include <cstring>
#include <string>

#include "core/owners.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "lua/vemosdk_core_functions.h"

namespace VemoSDK::LuaCore {

namespace {

using vemo::JsonPtr;

// The "text" member of the argument; "" when it is missing, not a string,
// or the argument is not JSON.
std::string textToCopy(const char* json) {
  JsonPtr request(cJSON_Parse(json));
  const cJSON* text = cJSON_GetObjectItemCaseSensitive(request.get(), "text");
  return cJSON_IsString(text) ? text->valuestring : "";
}

// Hands the text to the open clipboard; true when the clipboard took it.
bool setClipboardText(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return false;
  void* memory = GlobalLock(block);
  if (!memory) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(memory, text.c_str(), bytes);
  GlobalUnlock(block);
  if (SetClipboardData(CF_UNICODETEXT, block)) return true;  // the clipboard owns it now
  GlobalFree(block);
  return false;
}

}  // namespace

int copyClipboard(lua_State* L) {
  std::wstring text = utf8_to_wstring(textToCopy(luaL_checkstring(L, 1)));
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddFalseToObject(result.get(), "succ");

  HWND window = vmsdk_get_main_hwnd();
  if (window) {
    if (!OpenClipboard(window)) {
      cJSON_AddStringToObject(result.get(), "msg", "Cannot open the clipboard");
    } else {
      EmptyClipboard();
      if (setClipboardText(text)) cJSON_ReplaceItemInObjectCaseSensitive(result.get(), "succ", cJSON_CreateTrue());
      CloseClipboard();
    }
  }

  lua_pushstring(L, vemo::json_text(result.get(), true, "{}").c_str());
  return 1;
}

}  // namespace VemoSDK::LuaCore
