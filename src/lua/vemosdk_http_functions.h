#pragma once
// The _vemosdk download, HTTP and patch functions.
struct lua_State;

namespace VemoSDK::LuaHttp {

int httpGet(lua_State* L);
int httpGetFile(lua_State* L);
int submitDownloadList(lua_State* L);  // vemosdk_download_list.cpp
int updateDownloadPriority(lua_State* L);
int httpStopFile(lua_State* L);
int httpPost(lua_State* L);
int httpAddCertPin(lua_State* L);
int httpAddCert(lua_State* L);
int httpSetVerbose(lua_State* L);
int httpEnableRevocationCheck(lua_State* L);
int httpDisableRevocationCheck(lua_State* L);
int httpUpdateDownloadConfig(lua_State* L);

// Patches through the patch front end (patch/patch.h); an unparsable
// vemosdk_patch_dir text does nothing.
int patchDir(lua_State* L);
int patchFiles(lua_State* L);

}  // namespace VemoSDK::LuaHttp
