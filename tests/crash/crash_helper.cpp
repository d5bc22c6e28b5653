// A program that crashes on request, with the SDK's crash capture installed:
//   crash_helper <mode> <program folder> <service base URL> <secret>
// mode: access_violation, raise (an unhandled software exception),
// stack_overflow, handled (a first-chance access violation the system
// handles, then a normal exit with 0).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/sdk_context.h"
#include "crash/crash_capture.h"
#include "crash/crash_settings.h"
#include "http/http.h"
#include "sdk/exports.h"

namespace {

// The compiler cannot know the address, so the write stays.
volatile std::uintptr_t nowhere_address = 0;

__attribute__((noinline)) void crash_by_access_violation() {
  *reinterpret_cast<volatile int*>(nowhere_address) = 42;
}

// Overflowing the stack is the point.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
__attribute__((noinline)) int recurse_forever(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  return recurse_forever(depth + 1) + frame[0];
}
#pragma GCC diagnostic pop

const char* ext_info_null(const char*) { return nullptr; }
const char* ext_info_text(const char*) { return "from the host"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: crash_helper mode folder url secret\n");
    return 2;
  }
  std::string mode = argv[1];
  std::string folder = argv[2];
  std::string base = argv[3];
  std::string config = "{\"game_id\":\"55\",\"sdks\":[{\"name\":\"CRASH_SDK\",\"meta\":{\"secret\":\"" +
                       std::string(argv[4]) + "\",\"statistics_url\":\"" + base + "/_/crash/" + argv[4] +
                       "\",\"url\":\"" + base + "/_/crash/upload?group=crash_" + argv[4] + "_files\"}}]}";
  FILE* file = std::fopen((folder + "\\sdkconfig.json").c_str(), "wb");
  if (!file) return 3;
  std::fwrite(config.data(), 1, config.size(), file);
  std::fclose(file);
  vemosdk_set_context(build_sdk_context(folder + "\\", "", "1.0.9", nullptr));
  vmsdk_http_global_init();
  VemoSDK::init_crash_sdk("1.0.9");
  set_fill_crash_log_ext_info_callback("b_host_key", ext_info_text);
  set_fill_crash_log_ext_info_callback("a_null_key", ext_info_null);
  set_crash_callback(nullptr);
  std::printf("capture installed=%d\n", VemoSDK::is_crash_handler_installed());
  std::fflush(stdout);

  if (mode == "access_violation") crash_by_access_violation();
  if (mode == "raise") RaiseException(0xE0000001, 0, 0, nullptr);
  if (mode == "stack_overflow") return recurse_forever(0);
  if (mode == "handled") {
    // The system catches this access violation itself.
    BOOL bad = IsBadReadPtr(reinterpret_cast<const void*>(16), 4);
    std::printf("handled=%d\n", bad ? 1 : 0);
    std::fflush(stdout);
    return 0;
  }
  return 4;
}
