#include "vendor/vendor_proxy.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "vendor/vendor_builtins.h"
#include "vendor/vendor_host_api.h"
#include "vendor/vendor_plugin.h"

namespace {

VemoSDKProxy* g_proxy = nullptr;
VendorStatPoster g_stat_poster = nullptr;

void onVendorInit(std::string vendor, bool result, int code, std::string message) {
  vemo_debug_printf("onVendorInit vendor:%s, result:%d, code:%d, msg:%s\n", vendor.c_str(), result ? 1 : 0, code,
                    message.c_str());
}

void onAsyncCallResultDelegate(std::string vendor, int, std::string) {
  vemo_debug_printf("onAsyncCallResultDelegate vendor:%s \n", vendor.c_str());
}

void onEventDelegate(std::string vendor, std::string type, std::string) {
  vemo_debug_printf("onEventDelegate vendor:%s, type:%s \n", vendor.c_str(), type.c_str());
}

// A kept failure stays: a later success does not hide it.
void keep(VemoSDKProxy::Registration& kept, const VemoSDKProxy::Registration& result) {
  if (kept.ok) kept = result;
}

}  // namespace

VemoSDKProxy* VemoSDKProxy::getInstance() {
  if (!g_proxy) g_proxy = new VemoSDKProxy();
  return g_proxy;
}

void VemoSDKProxy::deleteInstance() {
  delete g_proxy;
  g_proxy = nullptr;
}

VemoSDKProxy::VemoSDKProxy() { vemo_debug_printf("VemoSDKProxy() Constructor"); }

VemoSDKProxy::~VemoSDKProxy() {
  vemo_debug_printf("~VemoSDKProxy() Destructor");
  for (auto& vendor : vendors_) {
    vemo_debug_printf("call beforeClear vendor:%s\n", vendor.first.c_str());
    vendor.second->beforeClear();
    vendor.second->destroy();
  }
}

VemoSDKProxy::Registration VemoSDKProxy::registerVendor(const std::string& key, VemoSDKVendor::SDKProxyBase* vendor,
                                                        const cJSON* entry) {
  if (vendors_.count(key)) return {false, kVendorConfigDuplicate, "vendor config duplicate"};
  vendors_[key] = vendor;
  entries_[key] = vemo::JsonPtr(entry ? cJSON_Duplicate(entry, 1) : cJSON_CreateObject());
  return {};
}

void VemoSDKProxy::init_vendors(const cJSON* entries, DoneCallback done) {
  if (!cJSON_IsObject(entries)) {
    vemo_debug_printf("init_vendors skip, sdk config parse faild! Not a valid array");
    if (done) done(false, kVendorConfigInvalid, "sdk config invalid");
    return;
  }
  const VendorHostApi api = makeVendorHostApi();
  Registration kept;
  bool security_seen = false;
  bool stop = false;
  for (const cJSON* entry = entries->child; entry && !stop; entry = entry->next) {
    if (!cJSON_IsObject(entry) || !entry->string) continue;
    const std::string name = entry->string;
    if (const VendorBuiltin* builtin = vendorBuiltin(name)) {
      if (name == kSecurityVendorKey) security_seen = true;
      VemoSDKVendor::SDKProxyBase* vendor = builtin->getInstance();
      Registration result = registerVendor(vendor->getVendorKey(), vendor, entry);
      if (!result.ok) vemo_debug_printf(builtin->failure_format, result.code, result.message.c_str());
      keep(kept, result);
    } else if (vendorPluginFailureLine(name)) {
      loadPlugin(name, entry, api, kept, stop);
    }
  }
  if (security_check_ == reinterpret_cast<const void*>(1) && !security_seen) vendorSecurityMissing(1000);
  initialiseAll();
  if (done) done(kept.ok, kept.code, kept.message);
}

void VemoSDKProxy::loadPlugin(const std::string& name, const cJSON* entry, const VendorHostApi& api,
                              Registration& kept, bool& stop) {
  HMODULE module = loadVendorPlugin(name);
  if (!module) {
    vemo_debug_print(vendorPluginFailureLine(name));
    return;
  }
  vemo_debug_printf("init, load plugin module succ:%s\n", name.c_str());
  VemoSDKVendor::SDKProxyBase* vendor = getVendorProxyInstance(module);
  if (!vendor) {
    vemo_debug_printf("init, load vendor instance failed:%s \n", name.c_str());
    return;
  }
  vendor->setHostApi(api);
  const std::string key = vendor->getVendorKey();
  if (key.empty()) {
    vemo_debug_printf("init, load plugin vendor instance failed, module:%s\n", name.c_str());
    return;
  }
  vemo_debug_printf("init, load plugin vendor instance succ, vendor:%s, module:%s\n", key.c_str(), name.c_str());
  Registration result = registerVendor(key, vendor, entry);
  keep(kept, result);
  if (!result.ok) {
    vemo_debug_printf("init, register vendor instance failed:%d, %s\n", result.code, result.message.c_str());
    stop = true;
  }
}

void VemoSDKProxy::initialiseAll() {
  const VemoSDKVendor::SDKProxyInterface::SDKDelegate delegate{onAsyncCallResultDelegate, onEventDelegate};
  for (auto& vendor : vendors_) {
    vemo_debug_printf("begin call vendor init:%s\n", vendor.first.c_str());
    const cJSON* member = cJSON_GetObjectItemCaseSensitive(entries_[vendor.first].get(), "meta");
    std::string meta = vemo::json_text(member, true, "{}");
    vendor.second->init(meta, onVendorInit, delegate);
  }
}

std::string VemoSDKProxy::syncCall(const std::string& key, const std::string& method, const std::string& json) {
  auto found = vendors_.find(key);
  if (found == vendors_.end()) return "{}";
  return found->second->syncCall(key, method, json, 0, 0);
}

void VemoSDKProxy::asyncCall(const std::string& key, const std::string& method, int callback_id,
                             const std::string& json) {
  auto found = vendors_.find(key);
  if (found == vendors_.end()) {
    vemo_debug_printf("vendor async call: no vendor %s\n", key.c_str());
    VemoSDK::postAsyncResult(callback_id, R"({"succ":false,"code":7001008,"msg":"vendor not found"})");
    return;
  }
  found->second->asyncCall(key, method, callback_id, json, 0, 0);
}

// Keys are unique in the map, so "every vendor of that key" is at most one.
void VemoSDKProxy::vendorCast(const std::string& key, const std::string& method, const std::string& json) {
  auto found = vendors_.find(key);
  if (found != vendors_.end()) found->second->vendorCast(key, method, json, 0, 0);
}

void setVendorStatPoster(VendorStatPoster poster) { g_stat_poster = poster; }

bool postVendorStat(const char* first, const char* second, int flag, const char* json) {
  vemo_debug_printf("vendor stat %s %s: %s\n", first, second, json ? json : "");
  return g_stat_poster && g_stat_poster(first, second, flag, json);
}

char* _vemosdk_vendor_sync_call(const char* channel, const char* type, const char* params) {
  std::string answer =
      VemoSDKProxy::getInstance()->syncCall(channel ? channel : "", type ? type : "", params ? params : "");
  char* copy = static_cast<char*>(std::malloc(answer.size() + 1));
  if (copy) std::memcpy(copy, answer.c_str(), answer.size() + 1);
  return copy;
}

void _vemosdk_vendor_async_call(const char* channel, const char* type, int callback_id, const char* params) {
  if (!channel || !type || !params) return;
  VemoSDKProxy::getInstance()->asyncCall(channel, type, callback_id, params);
}

void _vemosdk_vendor_cast(const char* channel, const char* type, const char* params) {
  VemoSDKProxy::getInstance()->vendorCast(channel ? channel : "", type ? type : "", params ? params : "");
}
