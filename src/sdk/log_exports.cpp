// Exported logging interface: thin entries into the log facade, behind the
// export guard.
#include "sdk/log_exports.h"

#include "core/export_guard.h"
#include "core/logs/log_facade.h"

namespace {

using vemo::logs::VemoLogFacade;

constexpr const char kPlainTag[] = "vemosdk";

int commit(const char* export_name, const char* level, const char* tag, const char* message, const char* module,
           const char* tags, const char* args, const char* extra) {
  return vemo::guard_export(export_name, 0, [&] {
    return VemoLogFacade::getInstance().commit(level, tag, message, module, tags, args, extra);
  });
}

}  // namespace

VEMOSDK_EXPORT int vemosdk_log_d(const char* message) {
  return commit("vemosdk_log_d", vemo::logs::kLevelDebug, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_i(const char* message) {
  return commit("vemosdk_log_i", vemo::logs::kLevelInfo, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_w(const char* message) {
  return commit("vemosdk_log_w", vemo::logs::kLevelWarn, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_e(const char* message) {
  return commit("vemosdk_log_e", vemo::logs::kLevelError, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}

VEMOSDK_EXPORT int vemosdk_log_commit_d(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit("vemosdk_log_commit_d", vemo::logs::kLevelDebug, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_i(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit("vemosdk_log_commit_i", vemo::logs::kLevelInfo, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_w(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit("vemosdk_log_commit_w", vemo::logs::kLevelWarn, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_e(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit("vemosdk_log_commit_e", vemo::logs::kLevelError, tag, message, module, tags, args, extra);
}

VEMOSDK_EXPORT void vemosdk_log_commit_event(const char* name, const char* labels, const char* message,
                                             const char* stats) {
  vemo::guard_export("vemosdk_log_commit_event",
                     [&] { VemoLogFacade::getInstance().commit_event(name, labels, message, stats); });
}

VEMOSDK_EXPORT void vemosdk_open_log_with_config(int console, int file, const char* level) {
  vemo::guard_export("vemosdk_open_log_with_config",
                     [&] { vemo::logs::vemosdk_configure_log(console, file, level); });
}
