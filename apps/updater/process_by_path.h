#pragma once
// Finding, closing, killing and bringing forward running programs by the
// full path of their executable, so that the scripts can replace a program's
// files safely. UI thread.
#include <windows.h>

#include <string>
#include <vector>

// The processes whose executable name matches the last part of path and
// whose full image path equals path (both without regard to case). A
// process that cannot be opened counts as a match without being listed.
// -1 when the process list cannot be taken.
int enum_process_by_path(const std::string& path, std::vector<DWORD>* pids);

// Asks the process to end and waits up to timeout_ms: a launcher main window
// gets the launcher's own shut-down request (a close would only hide it to
// the tray), other visible top-level windows WM_CLOSE. A process that is
// still there then, or that has no such window, is terminated. True once it
// has ended.
bool close_or_kill(HANDLE process, DWORD pid, DWORD timeout_ms);

struct KillByPathResult {
  int matched = 0;
  int killed = 0;
};
// close_or_kill on every listed process of the path (5 s each) but the
// calling one, which counts as matched and is left running; no process list
// gives matched 1 and killed 0.
KillByPathResult kill_process_by_path(const std::string& path);

int find_process_by_path(const std::string& path);

// Brings the main window (visible, unowned, titled) of the first such
// process that has one to the front; whether one was activated.
bool bring_process_to_front(const std::string& path);
