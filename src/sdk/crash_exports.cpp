// The crash reporting exports: each forwards to crash capture.
#include "core/export_guard.h"
#include "core/lua_error.h"
#include "crash/crash_capture.h"
#include "crash/crash_report_builder.h"
#include "crash/lua_error_limiter.h"
#include "sdk/exports.h"

namespace {

// Lua errors reach the crash reports from the first moment the SDK is loaded.
const bool lua_errors_reported = (VemoSDK::setLuaErrorReporter(VemoSDK::report_lua_error), true);

}  // namespace

VEMOSDK_EXPORT void vemosdk_error_report(const char* logType, const char* logLevel, const char* errMsg,
                                         const char* stackTrace, const char* stackHash, const char* extra) {
  vemo::guard_export("vemosdk_error_report",
                     [&] { VemoSDK::crash_error_report(logType, logLevel, errMsg, stackTrace, stackHash, extra); });
}

VEMOSDK_EXPORT LPTOP_LEVEL_EXCEPTION_FILTER set_crash_callback(void (*callback)(EXCEPTION_POINTERS* pointers)) {
  return vemo::guard_export("set_crash_callback", static_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(nullptr),
                            [&] { return VemoSDK::set_crash_callback(callback); });
}

VEMOSDK_EXPORT void set_fill_crash_log_ext_info_callback(const char* key, const char* (*callback)(const char* key)) {
  vemo::guard_export("set_fill_crash_log_ext_info_callback",
                     [&] { VemoSDK::set_fill_crash_log_ext_info_callback(key, callback); });
}
