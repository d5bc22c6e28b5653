#pragma once
// Plug-in vendors: the keys loaded as DLLs, where their DLL is looked for,
// and the proxy object a DLL gives.
#include <windows.h>

#include <string>

#include "vendor/vendor_interface.h"

// The entry names of "sdks" loaded as plug-ins, with the line logged when
// none of a key's DLLs loads; null for any other name.
const char* vendorPluginFailureLine(const std::string& key);

// The first of the six spellings that loads: for "steam" STEAM\VEMO_STEAM,
// STEAM\STEAM, steam\VEMO_STEAM, steam\steam, STEAM\steam_export_api,
// steam\steam_export_api. Null for an empty key or when none loads.
HMODULE loadVendorPlugin(const std::string& key);

// The object of the module's export "get_vendor_proxy_instantce"; without
// that export the module is freed again and the answer is null.
VemoSDKVendor::SDKProxyBase* getVendorProxyInstance(HMODULE module);
