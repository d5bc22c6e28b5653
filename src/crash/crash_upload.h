#pragma once
// What crash capture sends to the crash-report service: report files (at
// capture and, for files left by earlier runs, from a background thread) and
// the signed statistics ping that counts starts ("pv") and crashes.
#include <string>

namespace VemoSDK {

enum class CrashPingMode { kPageView, kCrash };

// The statistics request as it goes out.
struct CrashPing {
  std::string url;
  std::string params;     // "&app=...&ver=..."
  std::string signature;  // md5 of the pairs without separators + the secret
  std::string body;       // JSON object text
};

// Builds the ping of mode at tm (seconds) for the device text ud; false (and
// the reason logged) when the app id, secret, SDK version or app version is
// empty.
bool build_crash_ping(CrashPingMode mode, const std::string& tm, const std::string& ud, CrashPing& ping);
// Sends the ping: in the background in page-view mode, on this thread with
// time-outs in crash mode. False when nothing was sent (or, in crash mode,
// the transfer failed).
bool upload_crash_statistics(CrashPingMode mode);

// Whether the service's answer accepts an upload: "code" the number 200 and
// "success" the number 1.
bool crash_upload_accepted(const char* response);
// Uploads one report file, synchronously; an accepted file is deleted unless
// the settings are debuggable. True when the upload was accepted.
bool upload_crash_file(const std::string& upload_url, const std::string& path);
// Uploads every "<app id>_*.log" of the crash directory, one after another.
void upload_pending_crash_files();
void start_upload_pending_crash_files();

// program private directory + "/crash" and + "/dump" (empty without a context).
std::string crash_directory();
std::string crash_dump_directory();

}  // namespace VemoSDK
