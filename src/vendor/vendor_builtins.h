#pragma once
// The vendors that are part of the SDK: created by their singleton getters
// when the configuration has an entry of their name.
#include <string>

#include "vendor/vendor_interface.h"

constexpr char kCrashVendorKey[] = "CRASH_SDK";
constexpr char kSecurityVendorKey[] = "SECURITY";

struct VendorBuiltin {
  const char* name;
  VemoSDKVendor::SDKProxyBase* (*getInstance)();
  const char* failure_format;  // logged with the code and message of a failed registration
};

// The built-in vendor of that entry name, or null.
const VendorBuiltin* vendorBuiltin(const std::string& name);

// The host asked for a security check but the configuration has no
// "SECURITY" entry: reported with the value 1000, any other does nothing.
void vendorSecurityMissing(int value);
