#pragma once
// The receivers of the three asynchronous WMI queries. WMI calls them on its
// own threads; each hands its answer to HardwareInfo once and tells the
// query thread when WMI is done with it.
#include <wbemidl.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "core/owners.h"
#include "crash/hardware/hardware_records.h"

namespace VemoSDK {

class HardwareInfo;

class QuerySink : public IWbemObjectSink {
public:
  explicit QuerySink(HardwareInfo& owner);
  virtual ~QuerySink();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override;
  HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT result, BSTR text, IWbemClassObject* error) override;

  // Query thread: waits until WMI finished the query; false on timeout, or
  // as soon as `stop` (an event, may be null) is set.
  bool waitDone(DWORD milliseconds, HANDLE stop);
  // Answers a failure unless an answer went already (a query that could not
  // start, or did not finish).
  void fail(const HardwareError& error);

protected:
  // One object of the answer, under the sink's lock; false ends the query
  // with the failure already answered.
  virtual bool takeObject(IWbemClassObject* object) = 0;
  // The query is complete: answer what was collected, or that nothing came.
  virtual void finish() = 0;
  virtual void answerFailure(const HardwareError& error) = 0;
  virtual const char* name() const = 0;

  HardwareInfo& owner_;
  bool answered_ = false;  // under lock_

private:
  std::atomic<ULONG> references_{0};
  std::mutex lock_;
  vemo::UniqueHandle done_;
};

class ProcessorQuerySink : public QuerySink {
public:
  using QuerySink::QuerySink;

private:
  bool takeObject(IWbemClassObject* object) override;
  void finish() override;
  void answerFailure(const HardwareError& error) override;
  const char* name() const override { return "ProcessorQuerySink"; }
};

class ComputerQuerySink : public QuerySink {
public:
  using QuerySink::QuerySink;

private:
  bool takeObject(IWbemClassObject* object) override;
  void finish() override;
  void answerFailure(const HardwareError& error) override;
  const char* name() const override { return "ComputerQuerySink"; }
};

class VideoControllerQuerySink : public QuerySink {
public:
  using QuerySink::QuerySink;

private:
  bool takeObject(IWbemClassObject* object) override;
  void finish() override;
  void answerFailure(const HardwareError& error) override;
  const char* name() const override { return "VideoControllerQuerySink"; }

  std::vector<GpuInfo> gpus_;  // collected in arrival order
};

}  // namespace VemoSDK
