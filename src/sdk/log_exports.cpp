// Exported logging interface: thin entries into the log facade. No
// exception leaves them.
#include "sdk/log_exports.h"

#include "core/logs/log_facade.h"

namespace {

using vemo::logs::VemoLogFacade;

constexpr const char kPlainTag[] = "vemosdk";

template <class Call>
int guarded(Call call) {
  try {
    return call();
  } catch (...) {
    return 0;
  }
}

int commit(const char* level, const char* tag, const char* message, const char* module, const char* tags,
           const char* args, const char* extra) {
  return guarded(
      [&] { return VemoLogFacade::getInstance().commit(level, tag, message, module, tags, args, extra); });
}

}  // namespace

VEMOSDK_EXPORT int vemosdk_log_d(const char* message) {
  return commit(vemo::logs::kLevelDebug, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_i(const char* message) {
  return commit(vemo::logs::kLevelInfo, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_w(const char* message) {
  return commit(vemo::logs::kLevelWarn, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}
VEMOSDK_EXPORT int vemosdk_log_e(const char* message) {
  return commit(vemo::logs::kLevelError, kPlainTag, message, nullptr, nullptr, nullptr, nullptr);
}

VEMOSDK_EXPORT int vemosdk_log_commit_d(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit(vemo::logs::kLevelDebug, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_i(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit(vemo::logs::kLevelInfo, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_w(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit(vemo::logs::kLevelWarn, tag, message, module, tags, args, extra);
}
VEMOSDK_EXPORT int vemosdk_log_commit_e(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra) {
  return commit(vemo::logs::kLevelError, tag, message, module, tags, args, extra);
}

VEMOSDK_EXPORT void vemosdk_log_commit_event(const char* name, const char* labels, const char* message,
                                             const char* stats) {
  guarded([&] {
    VemoLogFacade::getInstance().commit_event(name, labels, message, stats);
    return 0;
  });
}

VEMOSDK_EXPORT void vemosdk_open_log_with_config(int console, int file, const char* level) {
  guarded([&] {
    vemo::logs::vemosdk_configure_log(console, file, level);
    return 0;
  });
}
