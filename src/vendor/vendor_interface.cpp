#include "vendor/vendor_interface.h"

#include <utility>

#include "core/debug_log.h"

namespace VemoSDKVendor {

void SDKProxyBase::init(std::string meta, InitCallback on_init, SDKDelegate delegate) {
  vemo_debug_printf("call SDKProxyBase init");
  initVendor(std::move(meta), on_init, delegate);
}

}  // namespace VemoSDKVendor
