#pragma once
// Paths the host hands to the SDK before start-up: resources, sdkconfig.json,
// vendor plug-ins and the WebView2 runtime. Stored for the life of the process.
#include <string>

constexpr size_t kStoredPathCapacity = 2047;  // bytes of a stored path; longer ones are refused

namespace VemoSDK {

// Each stores the absolute form of a UTF-8 path (the path as given when it
// cannot be made absolute); false, and nothing stored, for null or too long.
bool setResourcePath(const char* path);
bool setSdkconfigPath(const char* path);  // read at the next start-up
bool setVendorsPath(const char* path);  // a relative one is taken in the program folder
bool setWebviewPath(const char* path);  // kept in its long-path form

}  // namespace VemoSDK

// The resource path; when none was set, what fallback answers, kept from
// then on.
std::string vemosdk_get_resources_path_or(std::string (*fallback)());
std::string vemosdk_get_sdkconfig_path();  // empty when none was set
std::string vemosdk_get_vendors_path();    // empty when none was set
std::wstring vemosdk_get_webview_path();   // empty when none was set
