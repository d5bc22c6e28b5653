#pragma once
// One updater per updater name, and the waits of a hand-over: a headless
// updater waits for the previous updater to end, and every updater waits for
// the launcher to let go of its files before it merges.
#include "core/owners.h"

#include <windows.h>

#include <string>

// The command line asks for headless mode: "headless_update=applying"
// anywhere in it.
bool is_headless_command_line(const std::wstring& command_line);

enum class UpdaterInstanceCheck {
  kFirst,    // the mutex is held
  kRefused,  // another updater runs and this one is not headless
  kGaveUp,   // headless, and the other updater did not end in time
  kFailed,   // the mutex could not be made
};

// How long a headless updater waits for the previous one.
struct WaitRounds {
  int rounds = 50;
  DWORD interval_ms = 100;
};

// Holds "vemosdk_updater_process_mux" + name for the process's life.
class UpdaterInstanceMutex {
public:
  UpdaterInstanceCheck acquire(const std::wstring& updater_name, bool headless, WaitRounds wait = {});
  void release();

private:
  vemo::UniqueHandle mutex_;
};

// Waits until no launcher of that name holds its instance mutex and no
// process runs from launcher_path (a launcher lets go of its mutex a moment
// before its program file is free); false when one still does after the
// rounds.
bool wait_for_launcher_exit(const std::wstring& launcher_name, const std::string& launcher_path,
                            WaitRounds wait = {});
