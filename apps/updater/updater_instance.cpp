#include "updater_instance.h"

#include "process_by_path.h"
#include "single_instance.h"

#include <cstdio>

// These lines come before the SDK and its debug log exist: they go to
// standard output with the program's other progress lines.

bool is_headless_command_line(const std::wstring& command_line) {
  return command_line.find(L"headless_update=applying") != std::wstring::npos;
}

UpdaterInstanceCheck UpdaterInstanceMutex::acquire(const std::wstring& updater_name, bool headless,
                                                   WaitRounds wait) {
  std::wstring name = L"vemosdk_updater_process_mux" + updater_name;
  mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex_) return UpdaterInstanceCheck::kFailed;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return UpdaterInstanceCheck::kFirst;
  mutex_.reset();
  if (!headless) {
    std::printf("已经有一个启动器进程在运行了，不允许多开，本次程序直接退出\n");
    return UpdaterInstanceCheck::kRefused;
  }
  // The previous updater is ending (it started us, or it merges before it
  // hands over): the name frees once its last handle closes.
  std::printf("headless: previous updater still running, waiting for it to exit.\n");
  for (int round = 0; round < wait.rounds; ++round) {
    Sleep(wait.interval_ms);
    mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex_) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      std::printf("headless: previous updater exited, mutex acquired after wait.\n");
      return UpdaterInstanceCheck::kFirst;
    }
    mutex_.reset();
  }
  std::printf("headless: timeout waiting for previous updater to exit, give up this round.\n");
  return UpdaterInstanceCheck::kGaveUp;
}

void UpdaterInstanceMutex::release() {
  if (!mutex_) return;
  ReleaseMutex(mutex_.get());
  mutex_.reset();
}

namespace {

bool launcher_mutex_exists(const std::wstring& name) {
  vemo::UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
  return mutex || GetLastError() != ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool wait_for_launcher_exit(const std::wstring& launcher_name, const std::string& launcher_path,
                            WaitRounds wait) {
  std::wstring name = launcher_mutex_name(launcher_name);
  for (int round = 0;; ++round) {
    if (!launcher_mutex_exists(name) && enum_process_by_path(launcher_path, nullptr) == 0) {
      if (round > 0) std::printf("updater: launcher exited after %d ms\n", round * static_cast<int>(wait.interval_ms));
      return true;
    }
    if (round >= wait.rounds) break;
    if (round == 0) std::printf("updater: waiting for the launcher to exit before merging\n");
    Sleep(wait.interval_ms);
  }
  std::printf("updater: launcher still running after %d ms, merging anyway\n",
              wait.rounds * static_cast<int>(wait.interval_ms));
  return false;
}
