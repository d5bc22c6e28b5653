#pragma once
// Runs the three WMI queries on a thread of its own, which initialises COM
// for itself (the programs' UI threads keep the apartment their windows need),
// gives each query its own services object (a second pending asynchronous
// query on one is refused), waits for the answers, and uninitialises COM on
// that same thread.
#include <thread>

namespace VemoSDK {

class HardwareInfo;

class WMIQuery {
public:
  explicit WMIQuery(HardwareInfo& owner);
  ~WMIQuery();  // waits for the query thread
  WMIQuery(const WMIQuery&) = delete;
  WMIQuery& operator=(const WMIQuery&) = delete;

  // Starts the thread and returns at once.
  void start();

private:
  void run();

  HardwareInfo& owner_;
  std::thread thread_;
};

}  // namespace VemoSDK
