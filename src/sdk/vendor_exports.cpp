// The vendor entries of the C interface. The vendor classes themselves are
// exported where they are declared (vendor/vendor_interface.h).
#include "core/export_guard.h"
#include "sdk/exports.h"
#include "vendor/vendor_dll_loader.h"
#include "vendor/vendor_proxy.h"

VEMOSDK_EXPORT void vemosdk_set_security_check(void* callback) {
  vemo::guard_export("vemosdk_set_security_check",
                     [&] { VemoSDKProxy::getInstance()->setSecurityCheck(callback); });
}

VEMOSDK_EXPORT HMODULE vemosdk_load_vendor_dll(const char* folder, const char* file) {
  return vemo::guard_export("vemosdk_load_vendor_dll", static_cast<HMODULE>(nullptr),
                            [&] { return loadDllInVendors(folder, file); });
}
