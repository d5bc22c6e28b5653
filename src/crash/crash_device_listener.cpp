#include "crash/crash_device_listener.h"

#include <memory>

#include "crash/crash_settings.h"
#include "crash/hardware/hardware_info.h"

namespace VemoSDK {

namespace {

class CrashDeviceCallback : public HardwareCallback {
public:
  void onCpuInfo(const CpuInfo& info) override { set_crash_cpu(info.name.c_str()); }
  void onComputerInfo(const ComputerInfo& info) override {
    set_crash_brand_model(info.manufacturer.c_str(), info.model.c_str());
  }
  void onCpuUsage(const CpuUsageProbe&) override {}
  void onLaunchTime(std::int64_t) override {}
  void onFrameRate(int) override {}
  void onNetworkState(int) override {}
  void onMemoryInfo(const MemoryUsage&) override {}
  void onGpuInfo(const std::vector<GpuInfo>&) override {}
  void onError(const HardwareError&) override {}
  void onDiskInfo(const std::vector<DriveSpace>&) override {}
};

}  // namespace

void listen_for_crash_device_texts() {
  HardwareInfo* hardware = HardwareInfo::getInstance();
  hardware->queryCpuInfo(std::make_unique<CrashDeviceCallback>());
  hardware->queryComputerInfo(std::make_unique<CrashDeviceCallback>());
}

}  // namespace VemoSDK
