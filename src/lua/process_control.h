#pragma once
// Starting, watching and ending programs for the scripts, and handing the own
// process over to a new program. Lua thread.
#include <windows.h>

#include <string>

enum class StartFolder {
  kProgramFolder,  // the folder of the command's program; the own one when it names none
  kInherited,      // the own working folder
};

// Starts a command line (the whole text, no application name, no inherited
// handles, the own environment). 0 and the filled record, or the system
// error code.
DWORD start_process(const std::wstring& command, StartFolder folder, PROCESS_INFORMATION& info,
                    DWORD creation_flags = 0);

// Closes and clears the handles of the record that are still open.
void close_process_handles(PROCESS_INFORMATION& info);

// True while the process has not ended (a zero-time wait, so a program that
// ended with exit code 259 is not taken for a running one). Once it has
// ended its handles are closed, and later calls are false.
bool process_still_running(PROCESS_INFORMATION& info);

// TerminateProcess with exit code 0: 0, or the system error code. The
// handles stay open.
DWORD kill_started_process(const PROCESS_INFORMATION& info);

// Starts the command, releases the single-instance lock, lets the new program
// run and ends this process with exit code 0. Returns only when the program
// could not be started, with the system error code; the lock is kept unless
// the new program was made but could not be let run.
DWORD hand_over_and_exit(const std::wstring& command, StartFolder folder);

// Ends this process with exit code 0 after flushing the C streams.
[[noreturn]] void exit_own_process();
