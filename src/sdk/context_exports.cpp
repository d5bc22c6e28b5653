// Exported path and configuration functions of the SDK context.
#include <cjson/cJSON.h>

#include "core/export_guard.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "sdk/exports.h"

using vemo::guard_export;

VEMOSDK_EXPORT void vemosdk_set_res_path(const char* path) {
  guard_export("vemosdk_set_res_path", [&] { VemoSDK::setResourcePath(path); });
}

VEMOSDK_EXPORT void vemosdk_set_sdkconfig_path(const char* path) {
  guard_export("vemosdk_set_sdkconfig_path", [&] { VemoSDK::setSdkconfigPath(path); });
}

VEMOSDK_EXPORT void vemosdk_set_vendors_path(const char* path) {
  guard_export("vemosdk_set_vendors_path", [&] { VemoSDK::setVendorsPath(path); });
}

VEMOSDK_EXPORT void vemosdk_set_webview_path(const char* path) {
  guard_export("vemosdk_set_webview_path", [&] { VemoSDK::setWebviewPath(path); });
}

VEMOSDK_EXPORT cJSON* vemosdk_get_sdk_infos() {
  return guard_export("vemosdk_get_sdk_infos", static_cast<cJSON*>(nullptr), [] {
    VemoSDKContextPtr context = vemosdk_get_context();
    return sdk_infos_of(context ? context->config.get() : nullptr);
  });
}

VEMOSDK_EXPORT const cJSON* vemosdk_get_sdk_meta(const char* name) {
  return guard_export("vemosdk_get_sdk_meta", static_cast<const cJSON*>(nullptr), [&] {
    VemoSDKContextPtr context = vemosdk_get_context();
    return sdk_meta_of(context ? context->config.get() : nullptr, name);
  });
}
