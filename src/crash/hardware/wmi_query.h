#pragma once
// Runs the three WMI queries on a thread of its own, which initialises COM
// for itself (the programs' UI threads keep the apartment their windows need),
// gives each query its own services object (a second pending asynchronous
// query on one is refused), waits for the answers, and uninitialises COM on
// that same thread. stop() ends it early: what has not been answered yet is
// cancelled and answered as failed.
#include <windows.h>

#include <mutex>
#include <thread>

#include "core/owners.h"

namespace VemoSDK {

class HardwareInfo;

class WMIQuery {
public:
  explicit WMIQuery(HardwareInfo& owner);
  ~WMIQuery();  // stops the query thread and waits for it
  WMIQuery(const WMIQuery&) = delete;
  WMIQuery& operator=(const WMIQuery&) = delete;

  // Starts the thread and returns at once.
  void start();

  // Tells the thread to stop waiting and to cancel the queries still
  // running, then waits up to `milliseconds` for it to release WMI and COM
  // and end. True when no query thread runs any more (or none was started).
  bool stop(DWORD milliseconds);

private:
  void run();
  bool stopping() const;

  HardwareInfo& owner_;
  vemo::UniqueHandle stop_;      // manual reset: set once, by stop()
  vemo::UniqueHandle finished_;  // manual reset: run() released everything
  std::mutex thread_lock_;       // guards thread_
  std::thread thread_;
};

}  // namespace VemoSDK
