#include "vendor/vendor_crash_sdk.h"

#include <cjson/cJSON.h>

#include <memory>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/owners.h"
#include "core/sdk_context.h"
#include "crash/crash_report_builder.h"
#include "crash/crash_settings.h"
#include "crash/crash_upload.h"
#include "vendor/vendor_builtins.h"

namespace VendorCrashSdk {

namespace {

std::unique_ptr<VendorSDK> g_instance;

// The key and value of an add cast, when both are texts.
bool key_value(const cJSON* json, const char*& key, const char*& value) {
  key = json_get_string(json, "key");
  value = json_get_string(json, "value");
  return key && value;
}

}  // namespace

VendorSDK::VendorSDK() : key_(kCrashVendorKey) {}

VendorSDK::~VendorSDK() { vemo_debug_printf("vendor sdk destructor:%s\n", key_.c_str()); }

int VendorSDK::initVendor(std::string, InitCallback, SDKDelegate) {
  vemo_debug_printf("call vendor initVendor:crashsdk <<<<<< begin\n");
  VemoSDKContextPtr context = vemosdk_get_context();
  VemoSDK::init_crash_sdk(context ? context->app_version.c_str() : "");
  return 0;
}

void VendorSDK::vendorCast(const std::string&, const std::string& method, const std::string& json, int, int) {
  vemo_debug_printf("call vendor vendorCast: %s <<<<<< begin\n", method.c_str());
  vemo_debug_printf("json:%s\n", json.c_str());
  vemo::JsonPtr parsed(cJSON_Parse(json.c_str()));
  const char* key = nullptr;
  const char* value = nullptr;
  if (method == "CAST_INIT_CRASH_SDK") {
    if (const char* url = json_get_string(parsed.get(), "crash_doc_url")) {
      doc_url_ = url;
      VemoSDK::crash_settings().doc_url = doc_url_;  // what the crash report file names
    }
    VemoSDK::start_upload_pending_crash_files();  // also when the JSON does not parse
  } else if (method == "CAST_ADD_HEADER_INFO") {
    if (key_value(parsed.get(), key, value)) VemoSDK::add_crash_ext_info(key, value);
  } else if (method == "CAST_ADD_CACHED_INFO") {
    if (key_value(parsed.get(), key, value)) VemoSDK::add_crash_user_action(key, value);
  } else if (method == "CAST_CREATE_CUSTOM_LOG") {
    const cJSON* p = parsed.get();
    VemoSDK::crash_error_report(json_get_string(p, "logType"), json_get_string(p, "logLevel"),
                                json_get_string(p, "errMsg"), json_get_string(p, "stackTrace"),
                                json_get_string(p, "stackHash"), json_get_string(p, "extra"));
  }
}

void VendorSDK::destroy() {
  if (g_instance.get() == this) g_instance.reset();
}

VemoSDKVendor::SDKProxyBase* getInstance() {
  if (!g_instance) g_instance = std::make_unique<VendorSDK>();
  return g_instance.get();
}

}  // namespace VendorCrashSdk
