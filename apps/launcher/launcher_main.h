#pragma once
// The launcher's start-up, message loop and exit code.
#include <windows.h>

// command_line: without the program name. Returns the process exit code: 0
// for a second instance, 1 when start-up fails, else the WM_QUIT code.
int LauncherMain(HINSTANCE instance, const wchar_t* command_line);
