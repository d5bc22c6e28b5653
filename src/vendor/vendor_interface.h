#pragma once
// The classes a vendor derives from, and the host functions it is handed.
// Plug-in DLLs include this header too.
//
// Plug-ins must be built with the same toolchain as the programs (MinGW-w64
// g++, i686): the classes cross the DLL boundary with g++'s C++ ABI (its
// virtual table, with two destructor slots, and libstdc++'s std::string).
//
// Every member a plug-in needs is defined here, inline, so a plug-in carries
// its own copy and loads into launcher.exe and updater.exe alike; the
// programs export the same members from their own definitions (a plug-in
// may import them instead, from one program's import library, and then
// loads into that program only). `init` is the host's alone: only the host
// calls it.
#include <windows.h>

#include <cstdint>
#include <string>

struct cJSON;

// The programs define the members out of line and export them
// (vendor_interface.cpp); a plug-in compiles the same bodies inline.
#if defined(VEMOSDK_BUILDING_HOST)
#define VEMOSDK_VENDOR_CLASS __declspec(dllexport)
#define VEMOSDK_VENDOR_BODY(...) ;
#else
#define VEMOSDK_VENDOR_CLASS
#define VEMOSDK_VENDOR_BODY(...) __VA_ARGS__
#endif

// The host functions a plug-in receives through setHostApi, right after it is
// created. Any thread may call them.
struct VendorHostApi {
  // Queues a task for the Lua thread. The name is copied. json and buffer,
  // when not null, are handed over: malloc'd by the plug-in, freed by the host
  // with free() once copied, whether or not the post succeeds.
  void (*postLuaEvent)(const char* name, int64_t id, char* json, void* buffer, int length);
  // loadDllInVendors: "vendors\<folder>\<file>.dll"; the module is the caller's.
  HMODULE (*loadDllInVendors)(const char* folder, const char* file);
  // The SDK's debug log (a printf format).
  void (*debugPrint)(const char* format, ...);
  // The window given to the SDK at start-up.
  HWND (*hostWindow)();
  // Members of cJSON objects of the host's cJSON: the text (null when the
  // object is null or the member missing or not a text; borrowed), the
  // integer (0 then), the first child of an array or object member (null).
  const char* (*jsonString)(cJSON* object, const char* key);
  int (*jsonInt)(cJSON* object, const char* key);
  cJSON* (*jsonFirstChild)(cJSON* object, const char* key);
};

namespace VemoSDKVendor {

class VEMOSDK_VENDOR_CLASS SDKProxyInterface {
public:
  // The vendor calls these from any thread; the host only logs them.
  struct SDKDelegate {
    void (*onAsyncCallResult)(std::string vendor_key, int code, std::string json);
    void (*onEvent)(std::string vendor_key, std::string type, std::string json);
  };
  // Called by the vendor once its initialisation is over (or never).
  using InitCallback = void (*)(std::string vendor_key, bool result, int code, std::string message);

  SDKProxyInterface() VEMOSDK_VENDOR_BODY({})
  SDKProxyInterface(const SDKProxyInterface&) VEMOSDK_VENDOR_BODY({})
  SDKProxyInterface(SDKProxyInterface&&) VEMOSDK_VENDOR_BODY({})
  SDKProxyInterface& operator=(const SDKProxyInterface&) VEMOSDK_VENDOR_BODY({ return *this; })
  SDKProxyInterface& operator=(SDKProxyInterface&&) VEMOSDK_VENDOR_BODY({ return *this; })

  // Every operation runs on the Lua thread. meta: the JSON text of the
  // vendor's "meta" entry ("{}" when none). The result is not read.
  virtual int initVendor(std::string meta, InitCallback on_init, SDKDelegate delegate) = 0;
  virtual std::string getVendorKey() = 0;
  virtual void beforeClear() = 0;
  // The two trailing ints are always 0.
  virtual std::string syncCall(const std::string& key, const std::string& method, const std::string& json, int,
                               int) = 0;
  // The vendor answers callback_id itself, once, with an "ASYNC_CALL" event.
  virtual void asyncCall(const std::string& key, const std::string& method, int callback_id, const std::string& json,
                         int, int) = 0;
  virtual void vendorCast(const std::string& key, const std::string& method, const std::string& json, int, int) = 0;
  virtual void setHostApi(VendorHostApi api) = 0;

protected:
  ~SDKProxyInterface() VEMOSDK_VENDOR_BODY({})  // vendors are ended through SDKProxyBase::destroy
};

class VEMOSDK_VENDOR_CLASS SDKProxyBase : public SDKProxyInterface {
public:
  SDKProxyBase() VEMOSDK_VENDOR_BODY({})
  SDKProxyBase(const SDKProxyBase& other) VEMOSDK_VENDOR_BODY(: SDKProxyInterface(other) {})
  SDKProxyBase& operator=(const SDKProxyBase& other) VEMOSDK_VENDOR_BODY({
    SDKProxyInterface::operator=(other);
    return *this;
  })
  virtual ~SDKProxyBase() VEMOSDK_VENDOR_BODY({})
  // Ends the vendor after beforeClear; the base does nothing. A vendor that
  // owns itself deletes itself here.
  virtual void destroy() VEMOSDK_VENDOR_BODY({})

  // Host only: logs, then calls initVendor with the same values.
  void init(std::string meta, InitCallback on_init, SDKDelegate delegate);
};

}  // namespace VemoSDKVendor
