#include "vendor/vendor_interface.h"

#include <utility>

#include "core/debug_log.h"

namespace VemoSDKVendor {

// The bodies a plug-in compiles inline (vendor_interface.h), exported here.
SDKProxyInterface::SDKProxyInterface() {}
SDKProxyInterface::SDKProxyInterface(const SDKProxyInterface&) {}
SDKProxyInterface::SDKProxyInterface(SDKProxyInterface&&) {}
SDKProxyInterface& SDKProxyInterface::operator=(const SDKProxyInterface&) { return *this; }
SDKProxyInterface& SDKProxyInterface::operator=(SDKProxyInterface&&) { return *this; }
SDKProxyInterface::~SDKProxyInterface() {}

SDKProxyBase::SDKProxyBase() {}
SDKProxyBase::SDKProxyBase(const SDKProxyBase& other) : SDKProxyInterface(other) {}
SDKProxyBase& SDKProxyBase::operator=(const SDKProxyBase& other) {
  SDKProxyInterface::operator=(other);
  return *this;
}
SDKProxyBase::~SDKProxyBase() {}
void SDKProxyBase::destroy() {}

void SDKProxyBase::init(std::string meta, InitCallback on_init, SDKDelegate delegate) {
  vemo_debug_printf("call SDKProxyBase init");
  initVendor(std::move(meta), on_init, delegate);
}

}  // namespace VemoSDKVendor
