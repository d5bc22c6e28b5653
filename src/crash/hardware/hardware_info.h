#pragma once
// HardwareInfo: processor, computer and video adapters from three WMI queries
// started once, kept once answered; and the quick probes (processor usage,
// memory, drives, launch time, refresh rate, network state). Every answer
// goes to its callback exactly once. Any thread may call every operation:
// the WMI answers arrive on WMI's threads, queries come from the Lua thread.
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "crash/hardware/hardware_callback.h"

namespace VemoSDK {

class WMIQuery;
using HardwareCallbackPtr = std::unique_ptr<HardwareCallback>;

class HardwareInfo {
public:
  // The process's instance, created on the first call, never destroyed.
  static HardwareInfo* getInstance();

  HardwareInfo();
  ~HardwareInfo();
  HardwareInfo(const HardwareInfo&) = delete;
  HardwareInfo& operator=(const HardwareInfo&) = delete;

  // Starts the WMI queries on a thread of their own; later calls do nothing.
  // For the process's instance, it also makes the process's exit stop them
  // first (see stopQueries), before static objects go.
  void init();

  // Stops the WMI queries: those not answered yet are cancelled and answered
  // as failed, and the query thread is waited for, up to `milliseconds`.
  // True when no query thread runs any more. Any thread but WMI's may call it.
  bool stopQueries(unsigned long milliseconds);

  // Each takes the callback over; a null callback is ignored.
  void queryComputerInfo(HardwareCallbackPtr callback);
  void queryCpuInfo(HardwareCallbackPtr callback);
  void queryGpuInfo(HardwareCallbackPtr callback);
  void queryCpuUsage(HardwareCallbackPtr callback);
  void queryDiskInfo(HardwareCallbackPtr callback);
  void queryLaunchTime(HardwareCallbackPtr callback);
  void queryMemory(HardwareCallbackPtr callback);
  void queryRefreshRate(HardwareCallbackPtr callback);
  void queryNetworkState(HardwareCallbackPtr callback);

  // 3 wired, 2 wifi, 1 no internet connection or another adapter, 0 adapter
  // not found; measured at most once a second.
  int getNetworkState();

  // The stored answers, for the crash reports: empty until answered well.
  std::optional<CpuInfo> cpuInfo();
  std::optional<ComputerInfo> computerInfo();
  std::optional<std::vector<GpuInfo>> gpuInfo();

  // The WMI side's answers; the first answer of each query counts.
  void answerCpuInfo(const CpuInfo* info, const HardwareError& error);
  void answerComputerInfo(const ComputerInfo* info, const HardwareError& error);
  void answerGpuInfo(const std::vector<GpuInfo>* gpus, const HardwareError& error);

private:
  template <class T>
  struct Cached {
    bool answered = false;
    bool success = false;
    T data{};
    HardwareError error;
    std::vector<HardwareCallbackPtr> waiting;
  };
  template <class T>
  void query(Cached<T>& cached, HardwareCallbackPtr callback, void (HardwareCallback::*on_success)(const T&));
  template <class T>
  void answer(Cached<T>& cached, const T* data, const HardwareError& error,
              void (HardwareCallback::*on_success)(const T&));
  template <class T>
  std::optional<T> stored(Cached<T>& cached);

  std::mutex lock_;  // guards the three Cached and the probe
  Cached<CpuInfo> cpu_;
  Cached<ComputerInfo> computer_;
  Cached<std::vector<GpuInfo>> gpu_;
  bool started_ = false;
  CpuUsageProbe cpu_probe_;
  std::unique_ptr<WMIQuery> wmi_;

  std::mutex network_lock_;
  int network_state_ = 1;
  unsigned long network_measured_at_ = 0;  // GetTickCount; 0: never
};

}  // namespace VemoSDK
