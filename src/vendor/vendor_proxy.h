#pragma once
// The process-wide manager of vendors: loads the built-in and plug-in vendors
// that the "sdks" entries of sdkconfig.json name, registers each under its own
// key, initialises them in key order and routes the scripts' calls to them.
// Lua thread only; the maps are not locked.
#include <cjson/cJSON.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "core/owners.h"
#include "vendor/vendor_interface.h"

enum VendorErrorCode {
  kVendorConfigInvalid = 7001006,    // "sdk config invalid"
  kVendorConfigDuplicate = 7001007,  // "vendor config duplicate"
  kVendorNotFound = 7001008,         // "vendor not found": an async call to no vendor
};

class VemoSDKProxy {
public:
  struct Registration {
    bool ok = true;
    int code = 0;
    std::string message;
  };
  using DoneCallback = void (*)(bool ok, int code, std::string message);

  static VemoSDKProxy* getInstance();  // created on first use
  static void deleteInstance();        // every vendor gets beforeClear, then destroy

  // The host's security-check value; only the value 1 means anything.
  void setSecurityCheck(const void* value) { security_check_ = value; }

  // entries: the "sdks" entries keyed by name (null: none). done is called
  // once at the end with the first registration failure, or success.
  void init_vendors(const cJSON* entries, DoneCallback done);
  Registration registerVendor(const std::string& key, VemoSDKVendor::SDKProxyBase* vendor, const cJSON* entry);

  // "{}" when no vendor has the key.
  std::string syncCall(const std::string& key, const std::string& method, const std::string& json);
  // Without a vendor of that key the callback id is answered here with
  // {"succ":false,"code":7001008}, so that it is answered exactly once.
  void asyncCall(const std::string& key, const std::string& method, int callback_id, const std::string& json);
  void vendorCast(const std::string& key, const std::string& method, const std::string& json);

  bool hasVendor(const std::string& key) const { return vendors_.count(key) != 0; }

private:
  VemoSDKProxy();
  ~VemoSDKProxy();

  void loadPlugin(const std::string& name, const cJSON* entry, const VendorHostApi& api, Registration& kept,
                  bool& stop);
  void initialiseAll();

  const void* security_check_ = nullptr;
  std::map<std::string, VemoSDKVendor::SDKProxyBase*> vendors_;  // never deleted here: destroy
  std::map<std::string, vemo::JsonPtr> entries_;
};

// Posting statistics belongs to the SDK's root; start-up hands the poster
// down. Until then statistics of the vendors are only logged.
using VendorStatPoster = bool (*)(const char* first, const char* second, int flag, const char* json);
void setVendorStatPoster(VendorStatPoster poster);
bool postVendorStat(const char* first, const char* second, int flag, const char* json);

// The C entries of the Lua module. sync: a malloc'd copy of the answer (the
// caller frees it); async does nothing when a text is null.
char* _vemosdk_vendor_sync_call(const char* channel, const char* type, const char* params);
void _vemosdk_vendor_async_call(const char* channel, const char* type, int callback_id, const char* params);
void _vemosdk_vendor_cast(const char* channel, const char* type, const char* params);
