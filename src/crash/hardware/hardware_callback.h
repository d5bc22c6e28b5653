#pragma once
// The receiver of one hardware answer. Exactly one operation is called, once;
// the caller then destroys the receiver.
#include <cstdint>
#include <vector>

#include "crash/hardware/hardware_records.h"
#include "crash/probes/system_probes.h"

namespace VemoSDK {

class HardwareCallback {
public:
  virtual ~HardwareCallback() = default;
  virtual void onCpuInfo(const CpuInfo& info) = 0;
  virtual void onCpuUsage(const CpuUsageProbe& probe) = 0;
  virtual void onLaunchTime(std::int64_t ms) = 0;
  virtual void onFrameRate(int hertz) = 0;
  virtual void onNetworkState(int state) = 0;
  virtual void onMemoryInfo(const MemoryUsage& usage) = 0;
  virtual void onGpuInfo(const std::vector<GpuInfo>& gpus) = 0;
  virtual void onComputerInfo(const ComputerInfo& info) = 0;
  virtual void onError(const HardwareError& error) = 0;
  virtual void onDiskInfo(const std::vector<DriveSpace>& drives) = 0;
};

}  // namespace VemoSDK
