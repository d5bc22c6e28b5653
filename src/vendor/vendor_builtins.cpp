#include "vendor/vendor_builtins.h"

#include "vendor/vendor_crash_sdk.h"
#include "vendor/vendor_proxy.h"
#include "vendor/vendor_security.h"

namespace {

const VendorBuiltin kBuiltins[] = {
    {kSecurityVendorKey, VendorSecurity::getInstance, "init, register security vendor instance failed:%d, %s\n"},
    {kCrashVendorKey, VendorCrashSdk::getInstance, "init, register crash vendor instance failed:%d, %s\n"},
};

}  // namespace

const VendorBuiltin* vendorBuiltin(const std::string& name) {
  for (const VendorBuiltin& builtin : kBuiltins)
    if (name == builtin.name) return &builtin;
  return nullptr;
}

void vendorSecurityMissing(int value) {
  if (value != 1000) return;
  postVendorStat("umid_err", "umid_sdkconfig_miss_security", 0, R"({"is_upload_now":true})");
}
