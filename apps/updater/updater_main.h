#pragma once
// The updater's start-up, message loop and exit code.
#include <windows.h>

// command_line: without the program name. Returns the process exit code: 0
// for a refused second updater or a headless wait that gave up, 1 when
// start-up fails, else the WM_QUIT code.
int UpdaterMain(HINSTANCE instance, const wchar_t* command_line, int show_command);
