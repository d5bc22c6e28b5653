#pragma once
// The built-in "SECURITY" vendor: the scripts' road to the security DLL
// (vendor/security_bridge.h). Lua thread.
#include <string>

#include "vendor/vendor_interface.h"

namespace VendorSecurity {

class VendorSDK : public VemoSDKVendor::SDKProxyBase {
public:
  VendorSDK();
  ~VendorSDK() override;

  int initVendor(std::string meta, InitCallback on_init, SDKDelegate delegate) override;
  std::string getVendorKey() override { return key_; }
  void beforeClear() override {}
  std::string syncCall(const std::string& key, const std::string& method, const std::string& json, int,
                       int) override;
  void asyncCall(const std::string& key, const std::string& method, int callback_id, const std::string& json, int,
                 int) override;
  void vendorCast(const std::string& key, const std::string& method, const std::string& json, int, int) override;
  void setHostApi(VendorHostApi) override {}
  void destroy() override;  // deletes the singleton

private:
  std::string key_;
  std::string meta_;
};

VemoSDKVendor::SDKProxyBase* getInstance();

}  // namespace VendorSecurity

// For sysinfo: a malloc'd copy of the security token or data, or null.
char* vmsdk_security_get_token();
char* vmsdk_security_get_mw();
