#pragma once
// The text crash reports the crash-report service reads: the report file that
// crash capture writes, and the immediate error report (host code, Lua
// errors) built in memory and sent at once. Titles, keys, separators and
// placeholders are the service's format.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "crash/hardware/hardware_records.h"
#include "crash/probes/system_probes.h"

namespace VemoSDK {

using CrashExtraLines = std::vector<std::string>;

// What every report shares: the samples taken at construction and the name.
class WPKCrashBuilder {
public:
  WPKCrashBuilder(const std::string& app_id, const std::string& app_version, const std::string& report_type);
  virtual ~WPKCrashBuilder() = default;
  WPKCrashBuilder(const WPKCrashBuilder&) = delete;
  WPKCrashBuilder& operator=(const WPKCrashBuilder&) = delete;

  // "<app id>_<version>___<os>_<ms>_<s>_fg_<type>.log"
  const std::string& reportName() const { return report_name_; }
  std::string text() const { return out_.str(); }

  void writeStarLine();
  void writeSeparator();
  void writeKeyLine(const std::string& key, const std::string& value);
  void writeLine(const std::string& line);
  void writeHeader(const std::string& log_type);
  void writeExtraInfo(const std::string& stack_hash, const std::string& ext_text, const CrashExtraLines& extra);
  void writeMemInfo();
  void writeDiskInfo();

  const std::string& appId() const { return app_id_; }
  const std::string& appVersion() const { return app_version_; }
  const std::string& osVersion() const { return os_version_; }

protected:
  std::ostringstream out_;

private:
  std::string app_id_, app_version_, report_type_;
  std::uint64_t report_time_ms_ = 0;
  std::string report_time_s_;
  double launch_time_ = 0;
  std::string launch_time_s_;
  std::string os_version_;
  std::string report_name_;
  MEMORYSTATUSEX memory_status_{};
  std::vector<DriveSpace> drives_;
  std::optional<CpuUsageProbe> cpu_usage_;
  std::optional<MemoryUsage> memory_usage_;
  int network_state_ = 0;
  std::optional<CpuInfo> cpu_info_;
  std::optional<ComputerInfo> computer_info_;
  std::optional<std::vector<GpuInfo>> gpu_info_;
};

// A report written to directory + "/" + report name ("jni"). The text goes to
// a temporary file that takes the report's name only when complete.
class WPKCrashFileBuilder : public WPKCrashBuilder {
public:
  WPKCrashFileBuilder(const std::string& directory, const std::string& app_id, const std::string& app_version);
  const std::string& reportPath() const { return report_path_; }
  // Writes the file (lines end in CR LF); false when it could not be written.
  bool finish();

private:
  std::string report_path_;
};

class WPKCrashImmediateBuilder : public WPKCrashBuilder {
public:
  using WPKCrashBuilder::WPKCrashBuilder;
};

// The capture's report of the exception of thread_id (0: this thread);
// returns its path (a file that does not exist when it could not be written).
std::string write_crash_report_file(const EXCEPTION_POINTERS* pointers, const std::string& crash_directory,
                                    const std::string& dump_name, const std::string& app_id,
                                    const std::string& app_version, const std::string& ext_info_text,
                                    const std::string& user_action_text, const CrashExtraLines& extra_lines,
                                    DWORD thread_id = 0);

// Builds the immediate report's text.
std::string build_crash_report_immediate(const std::string& app_id, const std::string& app_version,
                                         const std::string& log_type, const std::string& err_msg,
                                         const std::string& stack_trace, const std::string& stack_hash,
                                         const std::string& ext_info_text, const std::string& user_action_text,
                                         std::string* report_name);
// Builds and sends it in the background to upload_url.
void write_crash_report_immediate(const std::string& upload_url, const std::string& app_id,
                                  const std::string& app_version, const std::string& log_type,
                                  const std::string& err_msg, const std::string& stack_trace,
                                  const std::string& stack_hash, const std::string& ext_info_text,
                                  const std::string& user_action_text);

// An immediate report with the settings' address, app id and version and the
// two lists; each null text is read as empty.
void crash_error_report(const char* log_type, const char* log_level, const char* err_msg, const char* stack_trace,
                        const char* stack_hash, const char* extra);

}  // namespace VemoSDK
