#include "crash/crash_report_builder.h"

#include <cjson/cJSON.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/debug_log.h"
#include "core/file_replace.h"
#include "core/keystore/device_id.h"
#include "core/keystore/keystore.h"
#include "core/owners.h"
#include "core/sdk_context.h"
#include "core/sdk_runtime.h"
#include "core/system_clock.h"
#include "crash/crash_settings.h"
#include "crash/crash_tombstone.h"
#include "crash/hardware/hardware_info.h"
#include "crash/probes/machine_identity.h"
#include "http/http.h"

namespace VemoSDK {

namespace {

constexpr char kStarLine[] = "*** *** *** *** *** *** *** *** *** *** *** *** *** *** *** ***";
constexpr char kSeparator[] = "--- --- --- --- --- --- --- --- --- --- --- --- --- --- --- ---";

std::string kb(std::uint64_t bytes) { return std::to_string(bytes / 1024); }

std::string os_version_text() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&info);
#pragma GCC diagnostic pop
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u", static_cast<unsigned>(info.dwMajorVersion),
                static_cast<unsigned>(info.dwMinorVersion));
  return text;
}

std::string number_text(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

struct StoredScore {
  std::string cpu, gpu;
};

StoredScore stored_device_score() {
  StoredScore score;
  vemo::MallocPtr<char> stored(keystore_get_string("DEVICE_SCORE_STORGE"));
  if (!stored) return score;
  vemo::JsonPtr json(cJSON_Parse(stored.get()));
  const cJSON* cpu = cJSON_GetObjectItemCaseSensitive(json.get(), "cpu");
  const cJSON* gpu = cJSON_GetObjectItemCaseSensitive(json.get(), "gpu");
  if (cJSON_IsNumber(cpu)) score.cpu = std::to_string(cpu->valueint);
  if (cJSON_IsNumber(gpu)) score.gpu = std::to_string(gpu->valueint);
  return score;
}

// The report file is opened in text mode on Windows: its lines end in CR LF.
std::string with_crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

WPKCrashBuilder::WPKCrashBuilder(const std::string& app_id, const std::string& app_version,
                                 const std::string& report_type)
    : app_id_(app_id), app_version_(app_version), report_type_(report_type) {
  os_version_ = os_version_text();
  report_time_ms_ = static_cast<std::uint64_t>(system_clock_ms());
  report_time_s_ = std::to_string(report_time_ms_ / 1000);
  launch_time_ = static_cast<double>(vmsdk_process_creation_time(0)) / 1000.0;
  launch_time_s_ = std::to_string(static_cast<long long>(launch_time_));
  char name[1024];
  std::snprintf(name, sizeof name, "%s_%s_%s_%s_%s_%llu_%s_%s_%s.log", app_id_.c_str(), app_version_.c_str(), "", "",
                os_version_.c_str(), static_cast<unsigned long long>(report_time_ms_), report_time_s_.c_str(), "fg",
                report_type_.c_str());
  report_name_ = name;

  HardwareInfo* hardware = HardwareInfo::getInstance();
  network_state_ = hardware->getNetworkState();
  memory_status_.dwLength = sizeof memory_status_;
  GlobalMemoryStatusEx(&memory_status_);
  CpuUsageProbe probe = vmsdk_cpu_usage_info_start();
  vmsdk_cpu_usage_sample(probe);
  cpu_usage_ = probe;
  MemoryUsage usage;
  if (vmsdk_memory_usage_sample(usage)) memory_usage_ = usage;
  gpu_info_ = hardware->gpuInfo();
  cpu_info_ = hardware->cpuInfo();
  computer_info_ = hardware->computerInfo();
  drives_ = vmsdk_disk_sample();
}

void WPKCrashBuilder::writeStarLine() { writeLine(kStarLine); }
void WPKCrashBuilder::writeSeparator() { writeLine(kSeparator); }
void WPKCrashBuilder::writeLine(const std::string& line) { out_ << line << "\n"; }
void WPKCrashBuilder::writeKeyLine(const std::string& key, const std::string& value) {
  out_ << key << ": " << value << "\n";
}

void WPKCrashBuilder::writeHeader(const std::string& log_type) {
  char text[512];
  std::snprintf(text, sizeof text, "'pid: %d/tid: %d/time: %s'", static_cast<int>(GetCurrentProcessId()),
                static_cast<int>(GetCurrentThreadId()), report_time_s_.c_str());
  writeKeyLine("Basic Information", text);
  if (cpu_info_) {
    writeKeyLine("Cpu Information", "'abi: " + cpu_info_->name + "/processor: null (null)/hardware: (null)'");
  }
  if (computer_info_) {
    std::string os = vmsdk_get_os_version().value_or("");
    writeKeyLine("Mobile Information", "'model: " + computer_info_->model + "/version: " + os + "/sdk: 0000'");
    writeKeyLine("Build fingerprint", "'" + computer_info_->manufacturer + "/" + computer_info_->model +
                                          "/null/null/0.0.0.000000:null/release-keys'");
  }
  writeKeyLine("Runtime Information", "'start: " + launch_time_s_ + "/maxheap: 0000/primaryabi: null/ground: fg'");
  writeKeyLine("CrashSDK Information", std::string("'version: ") + kSdkVersion +
                                           "/nativeseq: 0000/javaseq: 0000/arch: null/target: release'");
  writeKeyLine("Log Type", log_type);
}

void WPKCrashBuilder::writeExtraInfo(const std::string& stack_hash, const std::string& ext_text,
                                     const CrashExtraLines& extra) {
  VemoSDKContextPtr context = vemosdk_get_context();
  writeLine("uuid: " + vmsdk_get_mac_addr());
  writeLine("mt_game_id: " + (context ? context->game_id : std::string()));
  writeLine("wk_utdid: " + vmsdk_get_device_id());
  writeLine("wk_pkg_name: " + (context ? context->package_name : std::string()));
  writeLine("cpu: " + (cpu_usage_ ? number_text(cpu_usage_->usage) : std::string()));
  writeLine("cpu_total: " + (cpu_usage_ ? number_text(cpu_usage_->per_processor_usage) : std::string()));
  writeLine("mem: " + (memory_usage_ ? kb(memory_usage_->working_set_bytes) : std::string()));
  writeLine("rss_mem: " + (memory_usage_ ? kb(memory_usage_->pagefile_bytes) : std::string()));
  writeLine("mem_total_phys: " + kb(memory_status_.ullTotalPhys));
  writeLine("mem_total_virtual: " + kb(memory_status_.ullTotalVirtual));
  writeLine("mem_avail_phys: " + kb(memory_status_.ullAvailPhys));
  writeLine("mem_avail_virtual: " + kb(memory_status_.ullAvailVirtual));
  writeLine("mem_total_page_file: " + kb(memory_status_.ullTotalPageFile));
  writeLine("mem_avail_page_file: " + kb(memory_status_.ullAvailPageFile));
  writeLine("runtime: " + number_text(static_cast<double>(report_time_ms_ / 1000) - launch_time_));
  if (network_state_ == 2) writeLine("network: wifi");
  else if (network_state_ == 3) writeLine("network: wired");
  else writeLine("netwrok: not_network");
  writeLine("res: " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
            std::to_string(GetSystemMetrics(SM_CYSCREEN)));
  writeLine("os: windows");
  writeLine("os_ver: " + vmsdk_get_os_version().value_or(""));
  writeLine("cpu_model: " + (cpu_info_ ? cpu_info_->name : std::string()));
  if (gpu_info_) {
    int n = 0;
    for (const GpuInfo& gpu : *gpu_info_) {
      std::string prefix = "gpu" + std::to_string(++n);
      writeLine(prefix + ": " + gpu.vendor + " " + gpu.model);
      writeLine(prefix + "_memory: " + kb(gpu.memory));
      writeLine(prefix + "_driver_version: " + gpu.driver_version);
      writeLine(prefix + "_availability: " + std::to_string(gpu.availability));
    }
  }
  for (const DriveSpace& drive : drives_) {
    std::string prefix = std::string("storage_info_") + drive.letter;
    writeLine(prefix + "_total_size: " + kb(drive.total_bytes));
    writeLine(prefix + "_available_size: " + kb(drive.free_bytes));
    writeLine(prefix + "_available_to_caller_size: " + kb(drive.free_to_caller_bytes));
  }
  writeLine("device: " + (computer_info_ ? computer_info_->manufacturer + " " + computer_info_->model : std::string()));
  StoredScore score = stored_device_score();
  writeLine("cpu_score: " + score.cpu);
  writeLine("gpu_score: " + score.gpu);
  if (!stack_hash.empty()) writeLine("stackHash: " + stack_hash);
  for (const std::string& line : extra) writeLine(line);
  if (!ext_text.empty()) writeLine(ext_text);
}

void WPKCrashBuilder::writeMemInfo() {
  writeLine("meminfo:");
  writeLine("MemTotal:        " + kb(memory_status_.ullTotalPhys) + " kB");
  writeLine("MemFree:           0000 kB");
  writeLine("MemAvailable:     " + kb(memory_status_.ullAvailPhys) + " kB");
}

void WPKCrashBuilder::writeDiskInfo() {
  writeLine("disk info:");
  for (const DriveSpace& drive : drives_) {
    writeLine(std::string("/data/user/0/") + drive.letter + ":");
    writeLine("  total:      " + kb(drive.total_bytes) + " kB");
    writeLine("  available:  " + kb(drive.free_bytes) + " kB");
    writeLine("");
  }
}

WPKCrashFileBuilder::WPKCrashFileBuilder(const std::string& directory, const std::string& app_id,
                                         const std::string& app_version)
    : WPKCrashBuilder(app_id, app_version, "jni"), report_path_(directory + "/" + reportName()) {}

bool WPKCrashFileBuilder::finish() {
  std::string text = with_crlf(out_.str());
  return write_file_replacing(report_path_, text.data(), text.size());
}

std::string write_crash_report_file(const EXCEPTION_POINTERS* pointers, const std::string& crash_directory,
                                    const std::string& dump_name, const std::string& app_id,
                                    const std::string& app_version, const std::string& ext_info_text,
                                    const std::string& user_action_text, const CrashExtraLines& extra_lines,
                                    DWORD thread_id) {
  WPKCrashFileBuilder builder(crash_directory, app_id, app_version);
  builder.writeStarLine();
  builder.writeHeader("jni");
  builder.writeKeyLine("Report Name", builder.reportPath());
  builder.writeSeparator();
  builder.writeExtraInfo("", ext_info_text, extra_lines);
  builder.writeSeparator();
  builder.writeLine(user_action_text);
  builder.writeSeparator();
  std::ostringstream tombstone;
  tombstone << write_crash_tombstone(pointers, true, thread_id);
  builder.writeLine(tombstone.str().empty() ? "" : tombstone.str().substr(0, tombstone.str().size() - 1));
  builder.writeSeparator();
  builder.writeMemInfo();
  builder.writeSeparator();
  builder.writeDiskInfo();
  builder.writeSeparator();
  builder.writeLine("wk_dump_file_name:" + dump_name);
  const std::string& doc_url = crash_settings().doc_url;
  builder.writeLine("wk_crash_doc_url:" + (doc_url.empty() ? std::string(crash_builtin_doc_url()) : doc_url));
  if (!builder.finish()) vemo_debug_printf("crash report not written: %s", builder.reportPath().c_str());
  return builder.reportPath();
}

std::string build_crash_report_immediate(const std::string& app_id, const std::string& app_version,
                                         const std::string& log_type, const std::string& err_msg,
                                         const std::string& stack_trace, const std::string& stack_hash,
                                         const std::string& ext_info_text, const std::string& user_action_text,
                                         std::string* report_name) {
  WPKCrashImmediateBuilder builder(app_id, app_version, log_type);
  builder.writeStarLine();
  builder.writeHeader(log_type);
  builder.writeLine("Process: " + app_id);
  builder.writeKeyLine("Report Name", builder.reportName());
  builder.writeKeyLine("Version", app_version);
  builder.writeKeyLine("SubVersion", "app");
  builder.writeKeyLine("OS Version", builder.osVersion());
  builder.writeSeparator();
  builder.writeExtraInfo(stack_hash, ext_info_text, {});
  builder.writeSeparator();
  builder.writeLine(user_action_text);
  builder.writeSeparator();
  builder.writeLine("Back traces starts.");
  builder.writeLine(stack_trace);
  builder.writeLine("Back traces ends.");
  builder.writeSeparator();
  builder.writeMemInfo();
  builder.writeSeparator();
  builder.writeDiskInfo();
  builder.writeSeparator();
  builder.writeLine("msg:");
  builder.writeLine(err_msg);
  if (report_name) *report_name = builder.reportName();
  return builder.text();
}

void write_crash_report_immediate(const std::string& upload_url, const std::string& app_id,
                                  const std::string& app_version, const std::string& log_type,
                                  const std::string& err_msg, const std::string& stack_trace,
                                  const std::string& stack_hash, const std::string& ext_info_text,
                                  const std::string& user_action_text) {
  std::string name;
  std::string text = build_crash_report_immediate(app_id, app_version, log_type, err_msg, stack_trace, stack_hash,
                                                  ext_info_text, user_action_text, &name);
  vemo_debug_printf("upload crash data: \n %s", text.c_str());
  vmsdk_http_upload_async(upload_url.c_str(), name.c_str(), text.data(), static_cast<int64_t>(text.size()));
}

void crash_error_report(const char* log_type, const char* log_level, const char* err_msg, const char* stack_trace,
                        const char* stack_hash, const char* extra) {
  (void)log_level;  // not part of the report
  (void)extra;
  auto text = [](const char* value) { return std::string(value ? value : ""); };
  const CrashSettings& settings = crash_settings();
  write_crash_report_immediate(settings.upload_url, settings.app_id, settings.app_version, text(log_type),
                               text(err_msg), text(stack_trace), text(stack_hash), get_crash_ext_info_text(),
                               get_crash_user_action_text());
}

}  // namespace VemoSDK
