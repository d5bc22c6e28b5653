#pragma once
// The main window class and the message loop of both programs.
#include <windows.h>

// Registers a program's main window class: redrawn on size changes, the
// program's icon (resource 32512), the arrow cursor; false on failure.
bool register_program_window_class(HINSTANCE instance, const wchar_t* class_name, WNDPROC procedure);
// GetMessageA, TranslateMessage, DispatchMessageA until WM_QUIT; its wParam.
int run_message_loop();
