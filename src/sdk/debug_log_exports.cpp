// Exported hooks of the debug log.
#include "core/debug_log.h"
#include "sdk/log_exports.h"
#include "core/vemosdk_export.h"

VEMOSDK_EXPORT VemoDebugCallback Vemo_registerDebugCallback(VemoDebugCallback callback) {
  return vemo_debug_set_callback(callback);
}

VEMOSDK_EXPORT VemoDebugCallback vemosdk_register_log_callback(VemoDebugCallback callback) {
  return vemo_debug_set_callback(callback);
}
