#pragma once
// The launcher's main window: hidden as 1 x 1 until the scripts show it,
// then full size with the drag overlay and the owner-drawn close button.
// UI thread only.
#include <windows.h>

#include "program_window.h"

// Registers "vemosdk_launcher_class"; false on failure.
bool register_launcher_class(HINSTANCE instance);
// The 1 x 1 main window near the screen centre, titled with the launcher
// name; null on failure.
HWND create_main_window(HINSTANCE instance, const wchar_t* title);

// Sizes, centres and shows the main window with its overlay: -1 without a
// main window, else 0.
int createLauncherWindow();
// Hides to the tray or exits, by the close action the scripts chose.
void handleCloseAction();
void showMainWindow();
void syncOverlayPosition();

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
