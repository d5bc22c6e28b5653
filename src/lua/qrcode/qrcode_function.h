#pragma once
// `_vemosdk.qrcode_gen_bmp(text)` -> true, BMP bytes | false, "Generate QRCode Failed.\n"
struct lua_State;

namespace VemoSDK::LuaQrcode {

int qrcodeGenBmp(lua_State* L);

}  // namespace VemoSDK::LuaQrcode
