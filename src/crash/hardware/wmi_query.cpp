#include "crash/hardware/wmi_query.h"

#include <windows.h>
#include <wbemidl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/debug_log.h"
#include "core/owners.h"
#include "crash/hardware/com_apartment.h"
#include "crash/hardware/hardware_info.h"
#include "crash/hardware/wmi_sinks.h"

namespace VemoSDK {

namespace {

// How long WMI may take for all three answers before they count as failed.
constexpr DWORD kAnswerTimeout = 120000;

struct Entry {
  const char* name;
  const wchar_t* query;
  vemo::ComPtr<QuerySink> sink;
  vemo::ComPtr<IWbemServices> services;  // one per query
};

class Bstr {
public:
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

private:
  BSTR value_;
};

HardwareError failure(const char* text, HRESULT result) {
  std::printf("%s Error code = 0x%lx\n", text, static_cast<unsigned long>(result));
  return hardware_error(text, result);
}

// A sink with the reference the entry holds.
template <class Sink>
vemo::ComPtr<QuerySink> new_sink(HardwareInfo& owner) {
  QuerySink* sink = new Sink(owner);
  sink->AddRef();
  return vemo::ComPtr<QuerySink>(sink);
}

vemo::ComPtr<IWbemServices> connect(IWbemLocator* locator, HardwareError& error) {
  Bstr space(L"ROOT\\CIMV2");
  IWbemServices* raw = nullptr;
  HRESULT result = locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &raw);
  if (FAILED(result)) {
    error = failure("Could not connect", result);
    return {};
  }
  vemo::ComPtr<IWbemServices> services(raw);
  std::printf("Connected to ROOT\\CIMV2 WMI namespace\n");
  result = CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(result)) {
    error = failure("Could not set proxy blanket", result);
    return {};
  }
  return services;
}

}  // namespace

WMIQuery::WMIQuery(HardwareInfo& owner)
    : owner_(owner),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WMIQuery::~WMIQuery() { stop(INFINITE); }

void WMIQuery::start() {
  std::lock_guard<std::mutex> hold(thread_lock_);
  if (thread_.joinable()) {
    vemo_debug_printf("When start query, isQuerying, return!");
    return;
  }
  vemo_debug_printf("WMIQuery start query\n");
  thread_ = std::thread([this] {
    run();
    // Everything of WMI and COM is released: what is left is the thread's end.
    SetEvent(finished_.get());
  });
}

bool WMIQuery::stop(DWORD milliseconds) {
  std::lock_guard<std::mutex> hold(thread_lock_);
  if (!thread_.joinable()) return true;
  SetEvent(stop_.get());
  if (WaitForSingleObject(finished_.get(), milliseconds) != WAIT_OBJECT_0) {
    vemo_debug_printf("WMIQuery: the query thread did not stop in %lu ms\n", static_cast<unsigned long>(milliseconds));
    return false;
  }
  thread_.join();
  return true;
}

bool WMIQuery::stopping() const { return WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0; }

void WMIQuery::run() {
  Entry entries[] = {
      {"cpu", L"SELECT * FROM Win32_Processor", new_sink<ProcessorQuerySink>(owner_), {}},
      {"computer", L"SELECT * FROM Win32_ComputerSystem", new_sink<ComputerQuerySink>(owner_), {}},
      {"gpu", L"SELECT * FROM Win32_VideoController", new_sink<VideoControllerQuerySink>(owner_), {}},
  };
  auto fail_all = [&](const HardwareError& error) {
    vemo_debug_printf("queryResult fail ,msg: %s\n", error.message.c_str());
    for (Entry& entry : entries) entry.sink->fail(error);
  };
  // Stopped before its answer: no text on standard output, the process may be exiting.
  const HardwareError stopped = hardware_error("The hardware query was stopped", WBEM_E_CALL_CANCELLED);
  if (stopping()) return fail_all(stopped);

  ComApartment apartment;
  if (!apartment.usable()) return fail_all(failure("Failed to initialize COM library", apartment.result()));
  HRESULT result = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(result) && result != RPC_E_TOO_LATE) return fail_all(failure("Failed to initialize security.", result));
  IWbemLocator* raw_locator = nullptr;
  result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                            reinterpret_cast<void**>(&raw_locator));
  if (FAILED(result)) return fail_all(failure("Failed to create IWbemLocator object", result));
  vemo::ComPtr<IWbemLocator> locator(raw_locator);

  Bstr language(L"WQL");
  for (Entry& entry : entries) {
    if (stopping()) {
      entry.sink->fail(stopped);
      continue;
    }
    HardwareError error;
    entry.services = connect(locator.get(), error);
    if (!entry.services) {
      entry.sink->fail(error);
      continue;
    }
    Bstr query(entry.query);
    result = entry.services->ExecQueryAsync(language.get(), query.get(), WBEM_FLAG_BIDIRECTIONAL, nullptr,
                                            entry.sink.get());
    if (FAILED(result)) {
      entry.sink->fail(failure("Query for the hardware failed", result));
      entry.services.reset();
    }
  }
  DWORD deadline = GetTickCount() + kAnswerTimeout;
  for (Entry& entry : entries) {
    if (!entry.services) continue;
    DWORD now = GetTickCount();
    DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
    if (!entry.sink->waitDone(left, stop_.get())) {
      entry.services->CancelAsyncCall(entry.sink.get());
      if (stopping()) entry.sink->fail(stopped);
      else entry.sink->fail(failure("The hardware query did not finish", WBEM_E_TIMED_OUT));
    }
  }
  vemo_debug_printf("WMIQuery stop query\n");
  // Services, locator and sinks go before COM does, on this thread.
  for (Entry& entry : entries) entry.services.reset();
}

}  // namespace VemoSDK
