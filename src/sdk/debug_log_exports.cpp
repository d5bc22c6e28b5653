// Exported hooks of the debug log.
#include "core/debug_log.h"
#include "core/export_guard.h"
#include "sdk/log_exports.h"

VEMOSDK_EXPORT VemoDebugCallback Vemo_registerDebugCallback(VemoDebugCallback callback) {
  return vemo::guard_export("Vemo_registerDebugCallback", static_cast<VemoDebugCallback>(nullptr),
                            [&] { return vemo_debug_set_callback(callback); });
}

VEMOSDK_EXPORT VemoDebugCallback vemosdk_register_log_callback(VemoDebugCallback callback) {
  return vemo::guard_export("vemosdk_register_log_callback", static_cast<VemoDebugCallback>(nullptr),
                            [&] { return vemo_debug_set_callback(callback); });
}
