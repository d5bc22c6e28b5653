// A stand-in for the security DLL (vendors\gs\gs.dll), for the tests: it
// gives the four interfaces, answers the UMID at once with a token made of
// the host values it asked for, and echoes sync and async calls.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "vendor/security_interfaces.h"

namespace {

using namespace VemoSDK::Security;

HostInfo g_host_info = nullptr;

std::string host_value(const char* key) {
  int length = -1;
  const char* value = g_host_info ? g_host_info(key, &length) : "";
  return std::string(value, length < 0 ? 0 : static_cast<size_t>(length));
}

char* malloc_copy(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

struct Umid : GsUmid {
  int start(int, Result on_result) override {
    on_result(("token-" + host_value("gameId") + "-" + host_value("channelId")).c_str(), 0);
    return 1;
  }
  const char* token(int) override { return malloc_copy("token-" + host_value("gameId") + "-" + host_value("channelId")); }
  void release(const char* text) override { std::free(const_cast<char*>(text)); }
} g_umid;

struct Data : GsData {
  const char* get() override { return malloc_copy("mw-" + host_value("region")); }
  void release(const char* text) override { std::free(const_cast<char*>(text)); }
} g_data;

struct Async : GsAsyncCall {
  int call(const char* type, const char* params, Result on_result, const char* user_data, int) override {
    std::string result = std::string("{\"type\":\"") + type + "\",\"params\":" + params + "}";
    on_result(nullptr, result.c_str(), user_data, nullptr, std::strcmp(type, "FAIL") == 0 ? 404 : 200);
    return 1;
  }
} g_async;

struct Sync : GsSyncCall {
  const char* call(const char* type, const char* json, int, int) override {
    return malloc_copy(std::string("{\"sync\":\"") + type + "\",\"json\":" + json + ",\"unknown\":\"" +
                       host_value("noSuchKey") + "\"}");
  }
  void release(const char* text) override { std::free(const_cast<char*>(text)); }
} g_sync;

}  // namespace

extern "C" __declspec(dllexport) int InitOVGS(HostInfo host_info) {
  g_host_info = host_info;
  return 1;
}

extern "C" __declspec(dllexport) int QueryInterface(int id, int, void** out) {
  void* interfaces[] = {nullptr, static_cast<GsUmid*>(&g_umid), static_cast<GsData*>(&g_data),
                        static_cast<GsAsyncCall*>(&g_async), static_cast<GsSyncCall*>(&g_sync)};
  if (id < 1 || id > 4 || !out) return 0;
  *out = interfaces[id];
  return 1;
}
