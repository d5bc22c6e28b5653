// A vendor plug-in for the tests, built like a studio's would be: it derives
// from the host's SDKProxyBase through the plug-in header and exports
// get_vendor_proxy_instantce. It answers what it is asked:
//   syncCall        {"flavour","method","params","meta","sdk"}; "sdk" is the
//                   host's vemosdk_version, found among the program's exports
//   asyncCall       "ASYNC_CALL" with the callback id from a thread of its own
//   vendorCast      "EVENT" posts an "ECHO_EVENT" with the params;
//                   "CRASH" writes through a null pointer inside the call
// ECHO_FLAVOUR tells two builds of it apart (the duplicate-key case).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vendor/vendor_interface.h"

#ifndef ECHO_FLAVOUR
#define ECHO_FLAVOUR "first"
#endif

namespace {

char* malloc_copy(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

std::string host_sdk_version() {
  using Version = const char* (*)();
  auto version = reinterpret_cast<Version>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "vemosdk_version")));
  return version ? version() : "none";
}

volatile uintptr_t nowhere_address = 0;

struct AsyncJob {
  VendorHostApi api;
  int callback_id;
  std::string json;
};

DWORD WINAPI answer_later(void* argument) {
  AsyncJob* job = static_cast<AsyncJob*>(argument);
  std::string answer = "{\"async\":true,\"id\":" + std::to_string(job->callback_id) + ",\"params\":" + job->json + "}";
  job->api.postLuaEvent("ASYNC_CALL", job->callback_id, malloc_copy(answer), nullptr, 0);
  delete job;
  return 0;
}

class EchoVendor : public VemoSDKVendor::SDKProxyBase {
public:
  int initVendor(std::string meta, InitCallback on_init, SDKDelegate delegate) override {
    meta_ = meta;
    if (api_.debugPrint) api_.debugPrint("echo vendor init (%s), meta %s\n", ECHO_FLAVOUR, meta.c_str());
    if (on_init) on_init(getVendorKey(), true, 0, "echo ready");
    if (delegate.onEvent) delegate.onEvent(getVendorKey(), "ready", "{}");
    return 0;
  }
  std::string getVendorKey() override { return "ECHO"; }
  void beforeClear() override {}
  std::string syncCall(const std::string&, const std::string& method, const std::string& json, int, int) override {
    std::string compact_meta;
    for (char c : meta_)
      if (c != '\n' && c != '\t' && c != ' ') compact_meta += c;
    return std::string("{\"flavour\":\"") + ECHO_FLAVOUR + "\",\"method\":\"" + method + "\",\"params\":" + json +
           ",\"meta\":" + compact_meta + ",\"sdk\":\"" + host_sdk_version() + "\"}";
  }
  void asyncCall(const std::string&, const std::string&, int callback_id, const std::string& json, int,
                 int) override {
    HANDLE thread = CreateThread(nullptr, 0, answer_later, new AsyncJob{api_, callback_id, json}, 0, nullptr);
    if (thread) CloseHandle(thread);
  }
  void vendorCast(const std::string&, const std::string& method, const std::string& json, int, int) override {
    if (method == "EVENT") api_.postLuaEvent("ECHO_EVENT", 7, malloc_copy(json), nullptr, 0);
    if (method == "CRASH") crash_here();
  }
  void setHostApi(VendorHostApi api) override { api_ = api; }

private:
  // Through an address the compiler cannot see is null, so the write stays.
  __attribute__((noinline)) static void crash_here() { *reinterpret_cast<volatile int*>(nowhere_address) = 1; }

  VendorHostApi api_{};
  std::string meta_ = "{}";
};

EchoVendor g_vendor;

}  // namespace

extern "C" __declspec(dllexport) VemoSDKVendor::SDKProxyBase* get_vendor_proxy_instantce() { return &g_vendor; }
