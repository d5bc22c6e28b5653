#pragma once
// What a download asks of the manager that runs it: its settings, the speed
// limiter, the network state, where answers go, whether it is still wanted,
// and the slot it gives back. The transfer does its own work; the manager
// only schedules.
#include <cstdint>
#include <memory>
#include <string>

#include "core/owners.h"
#include "http/http_events.h"
#include "http/speed_limiter.h"

namespace VemoSDKHttp {

class DownloadTaskInfo;
class WorkerThreads;

// The manager's download settings as they stand when a transfer starts.
struct TransferSettings {
  long bufferSize = 0;  // CURLOPT_BUFFERSIZE
  long connectTimeoutMs = 0;  // when the request gives none
  long lowSpeedLimit = 0;
  long lowSpeedTime = 0;
  long idleHandleAgeS = 0;
  bool verbose = false;
  bool revocationCheck = false;
  long readBufferSizeShown = 0;  // in the start log line
};

// The revocation, host-check and verbose options every request sets.
void set_common_tls_options(CURL* easy, bool no_host_check, const TransferSettings& settings);

class TransferHost {
public:
  virtual ~TransferHost() = default;
  virtual TransferSettings transferSettings() const = 0;
  virtual VemoLimitHttpSpeed& speedLimiter() = 0;
  // False when the network has been reported down and no bytes arrived for
  // a while: the transfer is then aborted with -1003.
  virtual bool networkAllowsTransfer(int64_t last_data_ms, int64_t now_ms) = 0;
  virtual HttpEventSink& sink() = 0;
  // Where finished files are hashed and checked, off the download thread.
  virtual WorkerThreads& checkWorkers() = 0;
  // Any thread: the download thread looks at its transfers now.
  virtual void wakeTransfers() = 0;
  // False once the task was stopped.
  virtual bool isTaskRunning(const std::string& task_id) const = 0;
  // A handle whose transfer ended without a libcurl error, kept for reuse.
  virtual void keepHandle(vemo::CurlEasy easy) = 0;
  // After the HEAD pre-check: the download itself starts (a handle, its
  // file, the download thread). False when it failed at once (answered).
  virtual bool continueTransfer(std::shared_ptr<DownloadTaskInfo> transfer) = 0;
  // The download is over: its slot goes to the next pending one.
  virtual void releaseSlot(const std::string& task_id, int status) = 0;
};

}  // namespace VemoSDKHttp
