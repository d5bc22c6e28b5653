#include "crash/hardware/hardware_info.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/debug_log.h"
#include "core/text_convert.h"
#include "crash/hardware/network_state_probe.h"
#include "crash/hardware/wmi_query.h"

namespace VemoSDK {

namespace {

constexpr DWORD kNetworkStateMaxAge = 1000;
// How long the process's exit waits for the query thread to cancel the queries
// and release WMI and COM. A query that WMI is still answering ends first.
constexpr DWORD kExitStopLimit = 5000;
constexpr int kDefaultRefreshRate = 60;

int display_refresh_rate() {
  DISPLAY_DEVICEW device = {};
  device.cb = sizeof device;
  if (!EnumDisplayDevicesW(nullptr, 0, &device, 0)) return kDefaultRefreshRate;
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode) || mode.dmDisplayFrequency <= 1)
    return kDefaultRefreshRate;
  return static_cast<int>(mode.dmDisplayFrequency);
}

// Registered by the process instance's init, so it runs before the static
// objects that existed at start-up are destroyed and long before ExitProcess:
// the runtime's teardown, and Wine's of a thread still starting inside WMI,
// must not meet a query thread at work.
void stop_queries_at_exit() { HardwareInfo::getInstance()->stopQueries(kExitStopLimit); }

}  // namespace

HardwareError hardware_error(const char* text, long code) {
  char message[160];
  std::snprintf(message, sizeof message, "%s. Error code = %lx", text, static_cast<unsigned long>(code));
  HardwareError error;
  error.code = static_cast<int>(code);
  error.message = message;
  utf8_truncate(error.message, kHardwareTextLimit);
  return error;
}

HardwareInfo* HardwareInfo::getInstance() {
  static HardwareInfo* instance = new HardwareInfo();  // threads may ask while the process exits
  return instance;
}

HardwareInfo::HardwareInfo() : cpu_probe_(vmsdk_cpu_usage_info_start()) {}

HardwareInfo::~HardwareInfo() = default;

void HardwareInfo::init() {
  std::lock_guard<std::mutex> hold(lock_);
  if (started_) return;
  vemo_debug_printf("HardwareInfo::init\n");
  started_ = true;
  cpu_probe_ = vmsdk_cpu_usage_info_start();
  wmi_ = std::make_unique<WMIQuery>(*this);
  wmi_->start();
  if (this == getInstance()) std::atexit(stop_queries_at_exit);
}

bool HardwareInfo::stopQueries(unsigned long milliseconds) {
  WMIQuery* wmi = nullptr;
  {
    // Not held while waiting: the query thread answers under this lock.
    std::lock_guard<std::mutex> hold(lock_);
    wmi = wmi_.get();  // made once, by init, and kept
  }
  return !wmi || wmi->stop(milliseconds);
}

template <class T>
void HardwareInfo::query(Cached<T>& cached, HardwareCallbackPtr callback,
                         void (HardwareCallback::*on_success)(const T&)) {
  if (!callback) return;
  std::unique_lock<std::mutex> hold(lock_);
  if (!cached.answered) {
    cached.waiting.push_back(std::move(callback));
    return;
  }
  bool success = cached.success;
  T data = cached.data;
  HardwareError error = cached.error;
  hold.unlock();
  if (success) ((*callback).*on_success)(data);
  else callback->onError(error);
}

template <class T>
void HardwareInfo::answer(Cached<T>& cached, const T* data, const HardwareError& error,
                          void (HardwareCallback::*on_success)(const T&)) {
  std::vector<HardwareCallbackPtr> waiting;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (cached.answered) return;
    cached.answered = true;
    cached.success = data != nullptr;
    if (data) cached.data = *data;
    cached.error = error;
    waiting.swap(cached.waiting);
  }
  // Outside the lock: a callback may ask again.
  for (HardwareCallbackPtr& callback : waiting) {
    if (data) ((*callback).*on_success)(*data);
    else callback->onError(error);
  }
}

template <class T>
std::optional<T> HardwareInfo::stored(Cached<T>& cached) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!cached.answered || !cached.success) return std::nullopt;
  return cached.data;
}

void HardwareInfo::queryComputerInfo(HardwareCallbackPtr callback) {
  query(computer_, std::move(callback), &HardwareCallback::onComputerInfo);
}

void HardwareInfo::queryCpuInfo(HardwareCallbackPtr callback) {
  query(cpu_, std::move(callback), &HardwareCallback::onCpuInfo);
}

void HardwareInfo::queryGpuInfo(HardwareCallbackPtr callback) {
  query(gpu_, std::move(callback), &HardwareCallback::onGpuInfo);
}

void HardwareInfo::answerCpuInfo(const CpuInfo* info, const HardwareError& error) {
  if (info) vemo_debug_printf("notifyCpuInfoSuccess! %s\n", info->name.c_str());
  else vemo_debug_printf("notifyCpuInfoFailure!\n");
  answer(cpu_, info, error, &HardwareCallback::onCpuInfo);
}

void HardwareInfo::answerComputerInfo(const ComputerInfo* info, const HardwareError& error) {
  if (info)
    vemo_debug_printf("notifyComputerInfoSuccess! model: %s, manufacturer: %s\n", info->model.c_str(),
                      info->manufacturer.c_str());
  else vemo_debug_printf("notifyComputerInfoFailure!\n");
  answer(computer_, info, error, &HardwareCallback::onComputerInfo);
}

void HardwareInfo::answerGpuInfo(const std::vector<GpuInfo>* gpus, const HardwareError& error) {
  vemo_debug_printf(gpus ? "notifyGpuInfoSuccess!\n" : "notifyGpuInfoFailure!\n");
  answer(gpu_, gpus, error, &HardwareCallback::onGpuInfo);
}

std::optional<CpuInfo> HardwareInfo::cpuInfo() { return stored(cpu_); }
std::optional<ComputerInfo> HardwareInfo::computerInfo() { return stored(computer_); }
std::optional<std::vector<GpuInfo>> HardwareInfo::gpuInfo() { return stored(gpu_); }

void HardwareInfo::queryCpuUsage(HardwareCallbackPtr callback) {
  if (!callback) return;
  CpuUsageProbe sample;
  {
    std::lock_guard<std::mutex> hold(lock_);
    vmsdk_cpu_usage_sample(cpu_probe_);
    sample = cpu_probe_;  // a copy: the next sample does not change this answer
  }
  callback->onCpuUsage(sample);
}

void HardwareInfo::queryMemory(HardwareCallbackPtr callback) {
  if (!callback) return;
  MemoryUsage usage;
  if (vmsdk_memory_usage_sample(usage)) callback->onMemoryInfo(usage);
  else callback->onError({-1, "get memory usage fail"});
}

void HardwareInfo::queryDiskInfo(HardwareCallbackPtr callback) {
  if (callback) callback->onDiskInfo(vmsdk_disk_sample());
}

void HardwareInfo::queryLaunchTime(HardwareCallbackPtr callback) {
  if (!callback) return;
  std::int64_t launched = vmsdk_process_creation_time(0);
  if (launched == -1) callback->onError(hardware_error("System error", -1));
  else callback->onLaunchTime(launched);
}

void HardwareInfo::queryRefreshRate(HardwareCallbackPtr callback) {
  if (callback) callback->onFrameRate(display_refresh_rate());
}

void HardwareInfo::queryNetworkState(HardwareCallbackPtr callback) {
  if (callback) callback->onNetworkState(getNetworkState());
}

int HardwareInfo::getNetworkState() {
  // The download engine asks at every progress call: a scan of the
  // connections is far too slow for that.
  std::lock_guard<std::mutex> hold(network_lock_);
  DWORD now = GetTickCount();
  if (network_measured_at_ == 0 || now - network_measured_at_ >= kNetworkStateMaxAge) {
    network_state_ = measure_network_state();
    network_measured_at_ = now ? now : 1;
  }
  return network_state_;
}

}  // namespace VemoSDK
