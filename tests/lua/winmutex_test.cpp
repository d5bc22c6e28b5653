// The named-mutex module: scoped names, create and open, lock bookkeeping
// per thread, and the same mutex seen from other processes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>

#include "core/owners.h"
#include "core/text_convert.h"
#include "lua/winmutex/scoped_name.h"
#include "test_support.h"
#include "vemosdk_fixture.h"

namespace {

using vemo::test::TempDir;
using NamedMutex = vemo::test::VemosdkModule;

TEST(MutexName, ReservedCharactersBecomeUnderscoresAndTheLowerCasePathIsHashed) {
  using VemoSDK::LuaWinMutex::scopedName;
  // The hashes were worked out by hand from the hash's definition.
  EXPECT_EQ(L"job_1_x_C4DFF61AA7AB7445", scopedName(L"job:1\\x", L"C:\\Games\\Launcher.EXE"));
  EXPECT_EQ(L"job_C4DFF61AA7AB7445", scopedName(L"job", L"c:\\games\\launcher.exe"));
  EXPECT_EQ(L"a_b_c_d_e_f_g_h_i_j_2C414B306EC193FF",
            scopedName(L"a\"b*c/d<e>f?g|h\ti\x01j", L"C:\\Spiele\\GR\u00d6\u00dfE.exe"));
}

TEST_F(NamedMutex, SameNameTwiceIsCreatedThenOpened) {
  EXPECT_EQ("4294967295,integer", run("local M = _vemosdk_winmutex return M.INFINITE, math.type(M.INFINITE)"));
  EXPECT_EQ("userdata,created,userdata,opened",
            run("a, how_a = _vemosdk_winmutex.create('twice:job\\\\1') "
                "b, how_b = _vemosdk_winmutex.create('twice:job\\\\1') return type(a), how_a, type(b), how_b"));
  EXPECT_EQ("false,false", run("return a:isOwner(), b:isOwner()"));
  // Both objects name the same system mutex under the scoped name.
  std::wstring exe(MAX_PATH, L'\0');
  exe.resize(GetModuleFileNameW(nullptr, &exe[0], MAX_PATH));
  vemo::UniqueHandle same(OpenMutexW(SYNCHRONIZE, FALSE, VemoSDK::LuaWinMutex::scopedName(L"twice:job\\1", exe).c_str()));
  EXPECT_TRUE(same);
  EXPECT_EQ("userdata,created,userdata,created",
            run("local c, how_c = _vemosdk_winmutex.create() local d, how_d = _vemosdk_winmutex.create('') "
                "return type(c:getHandle()), how_c, type(d), how_d"));
}

TEST_F(NamedMutex, LockCountsPerThreadAndOnlyTheOwnerUnlocks) {
  ASSERT_EQ("created", run("m = select(2, _vemosdk_winmutex.create('count', true)) return m"));
  run("m = _vemosdk_winmutex.create('count')");
  EXPECT_EQ("true,ok,true,ok,true", run("local a, b = m:lock() local c, d = m:lock(0) return a, b, c, d, m:isOwner()"));
  // Another thread of the same process: the system would let it wait, and
  // this object refuses its unlock.
  std::string from_other_thread;
  std::thread([&] { from_other_thread = run("return m:isOwner(), m:unlock()"); }).join();
  EXPECT_EQ("false,nil,Current thread does not own this mutex (cannot release)", from_other_thread);
  EXPECT_EQ("true,true,true,false", run("return m:unlock(), m:isOwner(), m:unlock(), m:isOwner()"));
  EXPECT_EQ("nil,Current thread does not own this mutex (cannot release)", run("return m:unlock()"));
}

TEST_F(NamedMutex, InitialOwnerHoldsACreatedMutexAndTimeOutsAreRead) {
  EXPECT_EQ("created,true", run("o, how = _vemosdk_winmutex.create('owner', true) return how, o:isOwner()"));
  const char* const waits[] = {"true", "false", "-1", "0", "10", "nil"};
  for (const char* wait : waits) {
    EXPECT_EQ("true,ok,true", run(std::string("local ok, why = o:lock(") + wait + ") return ok, why, o:unlock()"))
        << wait;
  }
  EXPECT_EQ("true", run("return o:unlock()"));
  EXPECT_EQ("false", run("return o:isOwner()"));
  EXPECT_NE(std::string::npos, run("return pcall(o.lock, o, 'soon')").find("number expected"));
}

TEST_F(NamedMutex, ClosedObjectAnswersInvalidHandle) {
  EXPECT_EQ("nil,Invalid mutex handle,nil,Invalid mutex handle,nil,false",
            run("local m = _vemosdk_winmutex.create('closed') getmetatable(m).__gc(m) "
                "local a, b = m:lock(0) local c, d = m:unlock() return a, b, c, d, m:getHandle(), m:isOwner()"));
}

// Other programs: copies of the probe started from one folder share the
// mutex; a copy in another folder has its own.
class MutexAcrossProcesses : public ::testing::Test {
protected:
  void SetUp() override {
    std::string built = vemo::test::test_bin_dir() + "\\winmutex_probe.exe";
    CreateDirectoryW(utf8_to_wstring(dir.file("one")).c_str(), nullptr);
    CreateDirectoryW(utf8_to_wstring(dir.file("two")).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(utf8_to_wstring(built).c_str(), utf8_to_wstring(probe_one).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(utf8_to_wstring(built).c_str(), utf8_to_wstring(probe_two).c_str(), FALSE));
  }

  vemo::UniqueHandle start(const std::string& probe, const std::string& report, const std::string& chunk,
                           const std::string& release = "", const std::string& after = "") {
    std::wstring command = L"\"" + utf8_to_wstring(probe) + L"\" \"" + utf8_to_wstring(report) + L"\" \"" +
                           utf8_to_wstring(chunk) + L"\"";
    if (!release.empty()) command += L" \"" + utf8_to_wstring(release) + L"\" \"" + utf8_to_wstring(after) + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return vemo::UniqueHandle();
    }
    CloseHandle(info.hThread);
    return vemo::UniqueHandle(info.hProcess);
  }

  // The probe's report lines once it has `lines` of them (up to 30 s).
  std::string report_lines(const std::string& report, int lines) {
    std::string content;
    for (int i = 0; i < 600; ++i) {
      vemo::test::read_file(report, content);
      if (std::count(content.begin(), content.end(), '\n') >= lines) break;
      Sleep(50);
    }
    return content;
  }

  // Runs a probe to its end and gives its one report line.
  std::string run_probe(const std::string& probe, const std::string& chunk) {
    std::string report = dir.file("report-" + std::to_string(++reports) + ".txt");
    vemo::UniqueHandle process = start(probe, report, chunk);
    if (!process) return "<not started>";
    WaitForSingleObject(process.get(), 30000);
    return report_lines(report, 1);
  }

  TempDir dir{"winmutex"};
  std::string probe_one = dir.file("one\\winmutex_probe.exe");
  std::string probe_two = dir.file("two\\winmutex_probe.exe");
  int reports = 0;
};

TEST_F(MutexAcrossProcesses, HolderMakesOthersOfItsFolderTimeOutAndAnotherFolderHasItsOwn) {
  std::string holder_report = dir.file("holder.txt");
  std::string release = dir.file("release");
  vemo::UniqueHandle holder = start(probe_one, holder_report, "m, how = M.create('job', true) return how", release,
                                    "return m:isOwner(), m:unlock()");
  ASSERT_TRUE(holder);
  ASSERT_EQ("created\n", report_lines(holder_report, 1));

  EXPECT_EQ("opened,false,timeout,nil,Current thread does not own this mutex (cannot release)\n",
            run_probe(probe_one, "local m, how = M.create('job') local ok, why = m:lock(0) return how, ok, why, m:unlock()"));
  EXPECT_EQ("created,true,ok\n", run_probe(probe_two, "local m, how = M.create('job') return how, m:lock(0)"));

  ASSERT_TRUE(vemo::test::write_file(release, "go"));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.get(), 30000));
  EXPECT_EQ("created\ntrue,true\n", report_lines(holder_report, 2));
  EXPECT_EQ("created,true,ok\n", run_probe(probe_one, "local m, how = M.create('job') return how, m:lock(0)"));
}

TEST_F(MutexAcrossProcesses, MutexLeftHeldByAnEndedProgramIsAbandoned) {
  std::string keeper_report = dir.file("keeper.txt"), keeper_release = dir.file("keeper-release");
  vemo::UniqueHandle keeper = start(probe_one, keeper_report, "k, how = M.create('left') return how",
                                    keeper_release, "return k:lock(0)");
  ASSERT_EQ("created\n", report_lines(keeper_report, 1));
  std::string holder_report = dir.file("holder.txt"), holder_release = dir.file("holder-release");
  vemo::UniqueHandle holder = start(probe_one, holder_report, "m = M.create('left') return m:lock(0)", holder_release);
  ASSERT_EQ("true,ok\n", report_lines(holder_report, 1));
  ASSERT_TRUE(vemo::test::write_file(holder_release, "go"));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.get(), 30000));

  ASSERT_TRUE(vemo::test::write_file(keeper_release, "go"));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(keeper.get(), 30000));
  EXPECT_EQ("created\ntrue,abandoned\n", report_lines(keeper_report, 2));
}

}  // namespace
