#pragma once
// What the hardware queries answer with. Texts are UTF-8, at most
// kHardwareTextLimit bytes, cut only between characters.
#include <cstdint>
#include <string>
#include <vector>

namespace VemoSDK {

constexpr size_t kHardwareTextLimit = 99;

struct CpuInfo {
  int core_count = 0;       // NumberOfCores
  std::string name;         // Name
  int max_clock_mhz = 0;    // MaxClockSpeed
};

struct ComputerInfo {
  std::string model;         // Model
  std::string manufacturer;  // Manufacturer
};

struct GpuInfo {
  std::string vendor;          // AdapterCompatibility
  std::string model;           // Description
  std::string driver_version;  // DriverVersion
  int availability = 0;        // Availability
  std::uint64_t memory = 0;    // AdapterRam, bytes
};

struct HardwareError {
  int code = 0;
  std::string message;
};

// "%s. Error code = %x" of a failing call.
HardwareError hardware_error(const char* text, long code);

}  // namespace VemoSDK
