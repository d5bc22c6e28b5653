// A download whose program is killed mid-way continues from its partial file
// when the program starts again; its destination never shows a partial file.
#include "download_fixture.h"

namespace vemo::test {
namespace {

std::wstring widen(const std::string& text) {
  std::wstring out(text.begin(), text.end());  // the arguments here are ASCII
  return out;
}

std::wstring tool_path() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"http_download_tool.exe";
}

HANDLE start_tool(const std::vector<std::string>& args) {
  std::wstring command = L"\"" + tool_path() + L"\"";
  for (const std::string& arg : args) command += L" \"" + widen(arg) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

class DownloadKillTest : public DownloadFixture {
protected:
  DownloadKillTest() : DownloadFixture("kill") {}
};

TEST_F(DownloadKillTest, AKilledDownloadResumesAndEndsWhole) {
  const std::string bytes = test_bytes(4 * 1024 * 1024, 31);
  const std::string md5 = reference_md5(bytes);
  const std::string url = served.add("big.bin", bytes);
  const std::string file = dir.file("big.part");
  const std::string dest = dir.file("game\\big.bin");
  const int64_t full = static_cast<int64_t>(bytes.size());

  HANDLE first = start_tool({url + "&rate=1000000&etag=k1", file, dest, md5, "k1"});
  ASSERT_NE(nullptr, first);
  for (int i = 0; i < 1000 && file_size(file) < full / 4; ++i) {
    EXPECT_FALSE(file_exists(dest));
    Sleep(10);
  }
  TerminateProcess(first, 9);
  WaitForSingleObject(first, 10000);
  CloseHandle(first);
  const int64_t partial = file_size(file);
  ASSERT_GT(partial, 0);
  ASSERT_LT(partial, full);
  EXPECT_FALSE(file_exists(dest));

  HANDLE second = start_tool({url + "&etag=k1", file, dest, md5, "k1"});
  ASSERT_NE(nullptr, second);
  while (WaitForSingleObject(second, 5) == WAIT_TIMEOUT) {
    int64_t shown = file_size(dest);
    if (shown >= 0) {
      EXPECT_EQ(full, shown);
    }
  }
  DWORD exit_code = 99;
  GetExitCodeProcess(second, &exit_code);
  CloseHandle(second);
  EXPECT_EQ(0u, exit_code);
  EXPECT_EQ(md5, reference_md5(read(dest)));

  std::string resumed_at;
  for (const RecordedRequest& request : recorded_requests(server_stats(served.group()).get()))
    if (request.method == "GET" && !request.range.empty()) resumed_at = request.range;
  EXPECT_EQ("bytes=" + std::to_string(partial) + "-", resumed_at);
}

}  // namespace
}  // namespace vemo::test
