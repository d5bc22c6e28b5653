// HardwareInfo: every callback answered exactly once, before and after the
// answers exist and from many threads; the real WMI queries under Wine, and
// stopping them early; the network-state rules.
#include <gtest/gtest.h>

#include <windows.h>
#include <wbemidl.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "crash/hardware/hardware_info.h"
#include "crash/hardware/network_state_probe.h"
#include "crash/hardware/wmi_values.h"

namespace {

using namespace VemoSDK;

// Counts what it is told; the counters outlive it.
struct Tally {
  std::atomic<int> cpu{0}, gpu{0}, computer{0}, errors{0}, other{0};
  std::atomic<int> last_error_code{0};
  std::vector<GpuInfo> gpus;  // the last gpu answer
  CpuInfo cpu_info;
};

class TallyCallback : public HardwareCallback {
public:
  explicit TallyCallback(Tally& tally) : tally_(tally) {}
  void onCpuInfo(const CpuInfo& info) override {
    tally_.cpu_info = info;
    ++tally_.cpu;
  }
  void onCpuUsage(const CpuUsageProbe&) override { ++tally_.other; }
  void onLaunchTime(std::int64_t) override { ++tally_.other; }
  void onFrameRate(int) override { ++tally_.other; }
  void onNetworkState(int) override { ++tally_.other; }
  void onMemoryInfo(const MemoryUsage&) override { ++tally_.other; }
  void onGpuInfo(const std::vector<GpuInfo>& gpus) override {
    tally_.gpus = gpus;
    ++tally_.gpu;
  }
  void onComputerInfo(const ComputerInfo&) override { ++tally_.computer; }
  void onError(const HardwareError& error) override {
    tally_.last_error_code = error.code;
    ++tally_.errors;
  }
  void onDiskInfo(const std::vector<DriveSpace>&) override { ++tally_.other; }

private:
  Tally& tally_;
};

HardwareCallbackPtr counted(Tally& tally) { return std::make_unique<TallyCallback>(tally); }

bool wait_for(const std::atomic<int>& counter, int at_least) {
  for (int i = 0; i < 1200 && counter.load() < at_least; ++i) Sleep(50);
  return counter.load() >= at_least;
}

TEST(HardwareAnswers, WaitingCallbacksAreAnsweredOnceAndLaterOnesAtOnce) {
  HardwareInfo info;
  Tally tally;
  info.queryCpuInfo(counted(tally));
  info.queryCpuInfo(counted(tally));
  info.queryCpuInfo(nullptr);
  EXPECT_EQ(0, tally.cpu);
  EXPECT_FALSE(info.cpuInfo());
  CpuInfo cpu;
  cpu.name = "Test CPU";
  cpu.core_count = 4;
  info.answerCpuInfo(&cpu, {});
  EXPECT_EQ(2, tally.cpu);
  info.answerCpuInfo(&cpu, {});  // a late second answer reaches nobody
  info.answerCpuInfo(nullptr, {5, "late failure"});
  EXPECT_EQ(2, tally.cpu);
  info.queryCpuInfo(counted(tally));
  EXPECT_EQ(3, tally.cpu);
  EXPECT_EQ(0, tally.errors);
  EXPECT_EQ("Test CPU", info.cpuInfo()->name);

  info.queryGpuInfo(counted(tally));
  info.answerGpuInfo(nullptr, hardware_error("Failed to get the gpu model.", 0x80041002));
  info.queryGpuInfo(counted(tally));
  EXPECT_EQ(2, tally.errors);
  EXPECT_EQ(static_cast<int>(0x80041002), tally.last_error_code.load());
  EXPECT_EQ(0, tally.gpu);
  EXPECT_FALSE(info.gpuInfo());
}

TEST(HardwareAnswers, QueriesRacingTheAnswerAreEachAnsweredOnce) {
  HardwareInfo info;
  Tally tally;
  constexpr int kThreads = 8, kEach = 500;
  std::vector<std::thread> askers;
  for (int t = 0; t < kThreads; ++t)
    askers.emplace_back([&] {
      for (int n = 0; n < kEach; ++n) info.queryComputerInfo(counted(tally));
    });
  ComputerInfo computer{"Model", "Maker"};
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  info.answerComputerInfo(&computer, {});
  for (std::thread& asker : askers) asker.join();
  EXPECT_EQ(kThreads * kEach, tally.computer.load());
}

TEST(HardwareAnswers, ErrorTextsNameTheCode) {
  HardwareError error = hardware_error("System error", -1);
  EXPECT_EQ("System error. Error code = ffffffff", error.message);
  EXPECT_EQ(-1, error.code);
  EXPECT_LE(hardware_error(std::string(300, 'x').c_str(), 1).message.size(), 99u);
}

TEST(WmiValues, TypesAreCheckedAndTextsCutBetweenCharacters) {
  VARIANT value;
  VariantInit(&value);
  std::string text;
  std::int64_t number = -5;
  value.vt = VT_I4;
  value.lVal = -2;  // an unsigned 32-bit property arrives like this
  EXPECT_EQ(WBEM_E_TYPE_MISMATCH, text_of_variant(value, text));
  EXPECT_EQ(S_OK, number_of_variant(value, number));
  EXPECT_EQ(-2, number);
  value.vt = VT_NULL;
  EXPECT_EQ(S_OK, text_of_variant(value, text));
  EXPECT_EQ("", text);
  EXPECT_EQ(S_OK, number_of_variant(value, number));
  EXPECT_EQ(0, number);
  // 40 three-byte characters: cut at 99 bytes, on a character boundary.
  std::wstring wide(40, L'\x4e2d');
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(wide.c_str());
  EXPECT_EQ(S_OK, text_of_variant(value, text));
  EXPECT_EQ(99u, text.size());
  EXPECT_EQ("\xe4\xb8\xad", text.substr(96));
  EXPECT_EQ(WBEM_E_TYPE_MISMATCH, number_of_variant(value, number));
  VariantClear(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(L"8589934592");  // 64-bit values come as text
  EXPECT_EQ(S_OK, number_of_variant(value, number));
  EXPECT_EQ(8589934592LL, number);
  VariantClear(&value);
  value.vt = VT_DISPATCH;
  value.pdispVal = nullptr;
  EXPECT_EQ(WBEM_E_TYPE_MISMATCH, number_of_variant(value, number));
}

// The video adapters as a synchronous query of this test's own sees them.
std::vector<std::string> adapters_by_synchronous_query() {
  std::vector<std::string> names;
  IWbemLocator* locator = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(&locator))))
    return names;
  IWbemServices* services = nullptr;
  BSTR space = SysAllocString(L"ROOT\\CIMV2");
  if (SUCCEEDED(locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services))) {
    BSTR language = SysAllocString(L"WQL"), query = SysAllocString(L"SELECT Description FROM Win32_VideoController");
    IEnumWbemClassObject* rows = nullptr;
    if (SUCCEEDED(services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, &rows))) {
      IWbemClassObject* row = nullptr;
      ULONG got = 0;
      while (rows->Next(WBEM_INFINITE, 1, &row, &got) == S_OK && got) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(row->Get(L"Description", 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR) {
          std::wstring wide(value.bstrVal);
          names.emplace_back(wide.begin(), wide.end());
        }
        VariantClear(&value);
        row->Release();
      }
      rows->Release();
    }
    SysFreeString(language);
    SysFreeString(query);
    services->Release();
  }
  SysFreeString(space);
  locator->Release();
  return names;
}

TEST(HardwareWmi, RealQueriesAnswerBeforeAndAfterOnceEach) {
  HardwareInfo info;
  Tally before, after;
  info.queryCpuInfo(counted(before));
  info.queryGpuInfo(counted(before));
  info.queryComputerInfo(counted(before));
  info.init();
  info.init();  // once per instance
  ASSERT_TRUE(wait_for(before.cpu, 1)) << "errors: " << before.errors;
  ASSERT_TRUE(wait_for(before.gpu, 1));
  ASSERT_TRUE(wait_for(before.computer, 1));
  EXPECT_FALSE(before.cpu_info.name.empty());
  EXPECT_GT(before.cpu_info.core_count, 0);
  info.queryCpuInfo(counted(after));
  info.queryGpuInfo(counted(after));
  EXPECT_EQ(1, after.cpu);
  EXPECT_EQ(1, after.gpu);
  Sleep(200);
  EXPECT_EQ(1, before.cpu);
  EXPECT_EQ(1, before.gpu);
  EXPECT_EQ(1, before.computer);
  EXPECT_EQ(0, before.errors + after.errors);

  // The calling thread keeps its own COM choice: the queries ran elsewhere.
  HRESULT own = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(S_OK, own);
  std::vector<std::string> expected = adapters_by_synchronous_query();
  if (SUCCEEDED(own)) CoUninitialize();
  // The adapter Wine reports, as our query answered it.
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(expected.size(), before.gpus.size());
  for (size_t n = 0; n < expected.size(); ++n) EXPECT_EQ(expected[n], before.gpus[n].model);
}

TEST(HardwareWmi, StoppedQueriesAreEachAnsweredOnceAndTheThreadIsGone) {
  HardwareInfo info;
  EXPECT_TRUE(info.stopQueries(0));  // nothing started: nothing to wait for
  Tally cpu, gpu, computer, after;
  info.queryCpuInfo(counted(cpu));
  info.queryGpuInfo(counted(gpu));
  info.queryComputerInfo(counted(computer));
  info.init();
  // As the process's exit does, at once: the queries may not even have begun.
  ASSERT_TRUE(info.stopQueries(INFINITE));
  // Answered or cancelled, each waiting callback has its one answer by now.
  EXPECT_EQ(1, cpu.cpu + cpu.errors);
  EXPECT_EQ(1, gpu.gpu + gpu.errors);
  EXPECT_EQ(1, computer.computer + computer.errors);
  for (const Tally* tally : {&cpu, &gpu, &computer})
    if (tally->errors) {
      EXPECT_EQ(static_cast<int>(WBEM_E_CALL_CANCELLED), tally->last_error_code.load());
    }
  // What was kept answers later queries at once; starting again does nothing.
  info.queryCpuInfo(counted(after));
  EXPECT_EQ(1, after.cpu + after.errors);
  info.init();
  EXPECT_TRUE(info.stopQueries(0));
  EXPECT_EQ(1, cpu.cpu + cpu.errors);
}

TEST(NetworkState, AdapterTypesAndTheWiredFirstRule) {
  const std::pair<std::pair<bool, unsigned>, int> adapters[] = {
      {{true, 6}, 3}, {{true, 71}, 2}, {{true, 23}, 1}, {{true, 24}, 1}, {{false, 6}, 0}};
  for (const auto& [adapter, state] : adapters)
    EXPECT_EQ(state, network_state_of_adapter(adapter.first, adapter.second)) << adapter.second;
  const std::pair<std::vector<int>, int> machines[] = {
      {{}, 1}, {{2}, 2}, {{2, 3}, 3}, {{1, 2, 3}, 3}, {{0}, 0}, {{1, 2}, 1}, {{0, 2}, 0}};
  for (const auto& [connections, state] : machines) EXPECT_EQ(state, network_state_of_connections(connections));
  HardwareInfo info;
  int state = info.getNetworkState();
  EXPECT_TRUE(state >= 0 && state <= 3) << state;
  EXPECT_EQ(state, info.getNetworkState());
}

}  // namespace
