#include "crash/hardware/wmi_sinks.h"

#include "core/debug_log.h"
#include "crash/hardware/hardware_info.h"
#include "crash/hardware/wmi_values.h"

namespace VemoSDK {

namespace {

// Reads one property; a failure becomes the query's error.
template <class Read, class Value>
bool read(IWbemClassObject* object, const wchar_t* property, Value& out, const char* failure, HardwareError& error,
          Read reader) {
  HRESULT result = reader(object, property, out);
  if (SUCCEEDED(result)) return true;
  error = hardware_error(failure, result);
  return false;
}

bool text(IWbemClassObject* object, const wchar_t* property, std::string& out, const char* failure,
          HardwareError& error) {
  return read(object, property, out, failure, error, wmi_text);
}

bool number(IWbemClassObject* object, const wchar_t* property, std::int64_t& out, const char* failure,
            HardwareError& error) {
  return read(object, property, out, failure, error, wmi_number);
}

}  // namespace

QuerySink::QuerySink(HardwareInfo& owner) : owner_(owner), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

QuerySink::~QuerySink() = default;

HRESULT STDMETHODCALLTYPE QuerySink::QueryInterface(REFIID id, void** out) {
  if (!out) return E_POINTER;
  if (id == IID_IUnknown || id == IID_IWbemObjectSink) {
    *out = static_cast<IWbemObjectSink*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE QuerySink::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE QuerySink::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE QuerySink::Indicate(LONG count, IWbemClassObject** objects) {
  vemo_debug_printf("%s lObjectCount: %d \n", name(), static_cast<int>(count));
  std::lock_guard<std::mutex> hold(lock_);
  for (LONG n = 0; objects && n < count && !answered_; ++n)
    if (objects[n] && !takeObject(objects[n])) return WBEM_E_FAILED;
  return WBEM_S_NO_ERROR;
}

HRESULT STDMETHODCALLTYPE QuerySink::SetStatus(LONG flags, HRESULT result, BSTR, IWbemClassObject*) {
  if (flags == WBEM_STATUS_PROGRESS) {
    vemo_debug_printf("Call in progress.\n");
    return WBEM_S_NO_ERROR;
  }
  if (flags != WBEM_STATUS_COMPLETE) return WBEM_S_NO_ERROR;
  vemo_debug_printf("Call complete.\n");
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!answered_) {
      if (FAILED(result)) {
        answered_ = true;
        answerFailure(hardware_error("The query failed", result));
      } else {
        finish();
      }
    }
  }
  SetEvent(done_.get());
  return WBEM_S_NO_ERROR;
}

bool QuerySink::waitDone(DWORD milliseconds, HANDLE stop) {
  // The first handle wins when both are set: a finished query counts as done.
  HANDLE events[] = {done_.get(), stop};
  return WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, milliseconds) == WAIT_OBJECT_0;
}

void QuerySink::fail(const HardwareError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (answered_) return;
  answered_ = true;
  answerFailure(error);
}

bool ProcessorQuerySink::takeObject(IWbemClassObject* object) {
  CpuInfo info;
  HardwareError error;
  std::int64_t clock = 0, cores = 0;
  bool read_all = text(object, L"Name", info.name, "Failed to get the name from the query.", error) &&
                  number(object, L"MaxClockSpeed", clock, "Failed to get the max clock speed from the query.", error) &&
                  number(object, L"NumberOfCores", cores, "Failed to get the clock speed from the query.", error);
  answered_ = true;
  if (!read_all) {
    answerFailure(error);
    return false;
  }
  info.max_clock_mhz = static_cast<int>(clock);
  info.core_count = static_cast<int>(cores);
  vemo_debug_printf("cpu Name: %s\n", info.name.c_str());
  vemo_debug_printf("cpu max clock speed: %d\n", info.max_clock_mhz);
  vemo_debug_printf("cpu core numbers: %d\n", info.core_count);
  owner_.answerCpuInfo(&info, {});
  return true;
}

void ProcessorQuerySink::finish() {
  answered_ = true;
  answerFailure(hardware_error("No processor in the query's answer", WBEM_E_NOT_FOUND));
}

void ProcessorQuerySink::answerFailure(const HardwareError& error) { owner_.answerCpuInfo(nullptr, error); }

bool ComputerQuerySink::takeObject(IWbemClassObject* object) {
  ComputerInfo info;
  HardwareError error;
  bool read_all =
      text(object, L"Manufacturer", info.manufacturer, "Failed to get the manufacturer from the query.", error) &&
      text(object, L"Model", info.model, "Failed to get the model from the query.", error);
  answered_ = true;
  if (!read_all) {
    answerFailure(error);
    return false;
  }
  vemo_debug_printf("computer manufacturer: %s\n", info.manufacturer.c_str());
  vemo_debug_printf("computer model: %s\n", info.model.c_str());
  owner_.answerComputerInfo(&info, {});
  return true;
}

void ComputerQuerySink::finish() {
  answered_ = true;
  answerFailure(hardware_error("No computer system in the query's answer", WBEM_E_NOT_FOUND));
}

void ComputerQuerySink::answerFailure(const HardwareError& error) { owner_.answerComputerInfo(nullptr, error); }

bool VideoControllerQuerySink::takeObject(IWbemClassObject* object) {
  GpuInfo gpu;
  HardwareError error;
  std::int64_t availability = 0, memory = 0;
  bool read_all =
      number(object, L"Availability", availability, "Failed to get the gpu availability.", error) &&
      text(object, L"Description", gpu.model, "Failed to get the gpu model.", error) &&
      text(object, L"AdapterCompatibility", gpu.vendor, "Failed to get the gpu model.", error) &&
      number(object, L"AdapterRAM", memory, "Failed to get the gpu ram.", error) &&
      text(object, L"DriverVersion", gpu.driver_version, "Failed to get the gpu ram.", error);
  if (!read_all) {
    answered_ = true;
    answerFailure(error);
    return false;
  }
  gpu.availability = static_cast<int>(availability);
  // AdapterRAM is an unsigned 32-bit property that arrives as a signed one.
  gpu.memory = static_cast<std::uint32_t>(memory);
  vemo_debug_printf("gpu availability: %d\n", gpu.availability);
  vemo_debug_printf("gpu model: %s\n", gpu.model.c_str());
  vemo_debug_printf("gpu AdapterCompatibility(vendor): %s\n", gpu.vendor.c_str());
  vemo_debug_printf("gpu AdapterRam(memory): %llu \n", static_cast<unsigned long long>(gpu.memory));
  vemo_debug_printf("gpu DriverVersion(driver_version): %s\n", gpu.driver_version.c_str());
  gpus_.push_back(gpu);
  return true;
}

void VideoControllerQuerySink::finish() {
  vemo_debug_printf("query gpu info finish \n");
  answered_ = true;
  owner_.answerGpuInfo(&gpus_, {});
}

void VideoControllerQuerySink::answerFailure(const HardwareError& error) { owner_.answerGpuInfo(nullptr, error); }

}  // namespace VemoSDK
