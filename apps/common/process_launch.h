#pragma once
// Starting the game (or the other program) for the scripts, and watching the
// process it became. UI thread only; shared by both programs.
#include <windows.h>

#include <string>

#include "core/command_line.h"

struct LaunchResult {
  bool started = false;
  DWORD error = 0;  // when not started
};

// Starts the command with the shell in the program's own folder, keeps its
// process for is_game_running and brings its main window to the front from a
// UI timer. A start that the shell served without a new process (it handed the
// command to a running program) counts as started.
// A command longer than kMaxLaunchCommand UTF-16 characters, or with a program
// path of MAX_PATH characters or more, is refused with ERROR_FILENAME_EXCED_RANGE
// and a log line before the shell sees it (Wine's shell overruns its buffers
// on such texts).
constexpr size_t kMaxLaunchCommand = 900;
LaunchResult launch_process(const std::string& command_utf8);

// The kept process still runs. When it has ended its handles are closed and
// forgotten, so the next call is false too.
bool is_game_running();

// Brings a window to the front even when another thread owns the foreground.
bool bring_window_to_front(HWND window);

// The first top-level window of the process that is visible, has no owner
// and has a title; null when there is none.
HWND find_process_main_window(DWORD pid);
