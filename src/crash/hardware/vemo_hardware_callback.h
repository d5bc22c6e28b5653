#pragma once
// The hardware answer for a Lua callback id: one JSON text posted to Lua as
// "ASYNC_CALL" for that id.
#include <cstdint>

#include "crash/hardware/hardware_callback.h"

namespace VemoSDK {

class VemoHardwareCallback : public HardwareCallback {
public:
  VemoHardwareCallback(std::int64_t callback_id, int context) : callback_id_(callback_id), context_(context) {}

  void onCpuInfo(const CpuInfo& info) override;
  void onCpuUsage(const CpuUsageProbe& probe) override;
  void onLaunchTime(std::int64_t ms) override;
  void onFrameRate(int hertz) override;
  void onNetworkState(int state) override;
  void onMemoryInfo(const MemoryUsage& usage) override;
  void onGpuInfo(const std::vector<GpuInfo>& gpus) override;
  void onComputerInfo(const ComputerInfo& info) override;
  void onError(const HardwareError& error) override;
  void onDiskInfo(const std::vector<DriveSpace>& drives) override;

private:
  std::int64_t callback_id_;
  int context_;  // kept for the host; the answer goes by the id alone
};

}  // namespace VemoSDK
