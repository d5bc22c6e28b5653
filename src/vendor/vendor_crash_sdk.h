#pragma once
// The built-in "CRASH_SDK" vendor: how the scripts configure crash reporting.
// Its initialisation reads the crash settings; its casts add report lines,
// set the documentation address and send custom reports. Lua thread.
#include <string>

#include "vendor/vendor_interface.h"

namespace VendorCrashSdk {

class VendorSDK : public VemoSDKVendor::SDKProxyBase {
public:
  VendorSDK();
  ~VendorSDK() override;

  int initVendor(std::string meta, InitCallback on_init, SDKDelegate delegate) override;
  std::string getVendorKey() override { return key_; }
  void beforeClear() override {}
  std::string syncCall(const std::string&, const std::string&, const std::string&, int, int) override { return "{}"; }
  void asyncCall(const std::string&, const std::string&, int, const std::string&, int, int) override {}
  void vendorCast(const std::string& key, const std::string& method, const std::string& json, int, int) override;
  void setHostApi(VendorHostApi) override {}
  void destroy() override;  // deletes the singleton

  std::string getCrashDocUrl() const { return doc_url_; }

private:
  std::string key_;
  std::string doc_url_;
};

VemoSDKVendor::SDKProxyBase* getInstance();

}  // namespace VendorCrashSdk
