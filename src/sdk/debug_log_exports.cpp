// Exported hook of the debug log.
#include "core/debug_log.h"
#include "core/vemosdk_export.h"

VEMOSDK_EXPORT VemoDebugCallback vemosdk_register_log_callback(VemoDebugCallback callback) {
  return Vemo_registerDebugCallback(callback);
}
