#pragma once
// The device id as the SDK hands it out: kept in the key store under
// "vm_win_ut" once made, so that it stays the same when the adapters change.
#include <string>

namespace VemoSDK {

// Computes the device id from this machine's probes and stores it.
std::string vmsdk_make_device_id();
// The stored device id when there is a non-empty one, else a new one.
std::string vmsdk_get_device_id();

}  // namespace VemoSDK
