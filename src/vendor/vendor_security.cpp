#include "vendor/vendor_security.h"

#include <cjson/cJSON.h>

#include <memory>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/owners.h"
#include "vendor/security_bridge.h"
#include "vendor/vendor_builtins.h"

namespace VendorSecurity {

namespace {

std::unique_ptr<VendorSDK> g_instance;

// With meta {"debug": true}, "extra_params"."ch" gets ".debug" appended.
std::string debug_channel(const std::string& meta, const std::string& json) {
  vemo::JsonPtr parsed_meta(cJSON_Parse(meta.c_str()));
  if (!cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(parsed_meta.get(), "debug"))) return json;
  vemo::JsonPtr parsed(cJSON_Parse(json.c_str()));
  cJSON* extra = cJSON_GetObjectItemCaseSensitive(parsed.get(), "extra_params");
  if (!cJSON_IsObject(extra)) return json;
  std::string channel = json_string_or_empty(extra, "ch") + ".debug";
  cJSON_DeleteItemFromObjectCaseSensitive(extra, "ch");
  cJSON_AddStringToObject(extra, "ch", channel.c_str());
  return vemo::print_json(parsed.get());
}

}  // namespace

VendorSDK::VendorSDK() : key_(kSecurityVendorKey) {}

VendorSDK::~VendorSDK() { vemo_debug_printf("vendor sdk destructor:%s\n", key_.c_str()); }

int VendorSDK::initVendor(std::string meta, InitCallback, SDKDelegate) {
  vemo_debug_printf("call vendor initVendor:security <<<<<< begin\n");
  meta_ = meta;
  VemoSDK::Security::init_sync_call();
  return 0;
}

std::string VendorSDK::syncCall(const std::string&, const std::string& method, const std::string& json, int, int) {
  std::string answer = "{}";
  VemoSDK::Security::sync_call(method, json, answer);
  return answer;
}

void VendorSDK::asyncCall(const std::string&, const std::string& method, int callback_id, const std::string& json,
                          int, int) {
  VemoSDK::Security::async_call(method, json, callback_id);
}

void VendorSDK::vendorCast(const std::string&, const std::string& method, const std::string& json, int, int) {
  vemo_debug_printf("call vendor vendorCast: %s <<<<<< begin\n", method.c_str());
  vemo_debug_printf("json:%s\n", json.c_str());
  const std::string rewritten = debug_channel(meta_, json);
  vemo::JsonPtr parsed(cJSON_Parse(rewritten.c_str()));
  if (method == "CAST_SECURITY_INIT_DATA") {
    vemo_debug_printf("vmsdk_init_security begin >> \n");
    VemoSDK::Security::update_data(parsed.get());
    int result = VemoSDK::Security::init_umid();
    vemo_debug_printf("has security and _init_umid:result: %d \n", result);
  } else if (method == "CAST_UPDATE_DATA") {
    VemoSDK::Security::update_data(parsed.get());
  }
}

void VendorSDK::destroy() {
  if (g_instance.get() == this) g_instance.reset();
}

VemoSDKVendor::SDKProxyBase* getInstance() {
  if (!g_instance) g_instance = std::make_unique<VendorSDK>();
  return g_instance.get();
}

}  // namespace VendorSecurity

char* vmsdk_security_get_token() { return VemoSDK::Security::get_token(); }
char* vmsdk_security_get_mw() { return VemoSDK::Security::get_mw(); }
