// Exported path and configuration functions of the SDK context.
#include <cjson/cJSON.h>

#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/vemosdk_export.h"

VEMOSDK_EXPORT void vemosdk_set_res_path(const char* path) { VemoSDK::setResourcePath(path); }

VEMOSDK_EXPORT void vemosdk_set_sdkconfig_path(const char* path) { VemoSDK::setSdkconfigPath(path); }

VEMOSDK_EXPORT void vemosdk_set_vendors_path(const char* path) { VemoSDK::setVendorsPath(path); }

VEMOSDK_EXPORT void vemosdk_set_webview_path(const char* path) { VemoSDK::setWebviewPath(path); }

// The caller deletes the object; its entries stay owned by the configuration.
VEMOSDK_EXPORT cJSON* vemosdk_get_sdk_infos() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return sdk_infos_of(context ? context->config.get() : nullptr);
}

// Borrowed from the configuration of the live context.
VEMOSDK_EXPORT const cJSON* vemosdk_get_sdk_meta(const char* name) {
  VemoSDKContextPtr context = vemosdk_get_context();
  return sdk_meta_of(context ? context->config.get() : nullptr, name);
}
