#include "core/keystore/device_id.h"

#include "core/keystore/keystore.h"
#include "crash/probes/machine_identity.h"

namespace VemoSDK {

std::string vmsdk_make_device_id() {
  std::string id = compute_device_id();
  KeyStore::instance().set(kDeviceIdKey, id);
  return id;
}

std::string vmsdk_get_device_id() {
  std::optional<std::string> stored = KeyStore::instance().get(kDeviceIdKey);
  if (stored && !stored->empty()) return *stored;
  return vmsdk_make_device_id();
}

}  // namespace VemoSDK
