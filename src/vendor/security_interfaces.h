#pragma once
// What the bridge requires of the security DLL gs.dll, which is not part of
// the system: its two exports and the four interfaces of QueryInterface.
// The DLL must be built with the same toolchain (the interfaces are C++
// virtual tables).
namespace VemoSDK::Security {

// The interfaces gs.dll gives through QueryInterface (ids 1 to 4).
struct GsUmid {  // 1
  using Result = void (*)(const char* token, int error_code);
  virtual int start(int zero, Result on_result) = 0;
  virtual const char* token(int zero) = 0;
  virtual void release(const char* text) = 0;
};
struct GsData {  // 2
  virtual const char* get() = 0;
  virtual void release(const char* text) = 0;
};
struct GsAsyncCall {  // 3
  using Result = void (*)(void* ignored, const char* result, const char* user_data, void* also_ignored, int status);
  virtual int call(const char* type, const char* params, Result on_result, const char* user_data, int length) = 0;
};
struct GsSyncCall {  // 4
  virtual const char* call(const char* type, const char* json, int, int) = 0;
  virtual void release(const char* text) = 0;
};
// Exports of gs.dll.
using HostInfo = const char* (*)(const char* key, int* length);
using InitOVGS = int (*)(HostInfo host_info);
using QueryInterface = int (*)(int id, int zero, void** out);

}  // namespace VemoSDK::Security
