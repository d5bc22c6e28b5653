#pragma once
// The updater's main window: the skinned background with close and minimise
// buttons, dragged by its top strip, woken for work from other threads, and
// pushed to the front by a short retry timer. UI thread only.
#include <windows.h>

// Registers "vemosdk_updater_class"; false on failure.
bool register_updater_class(HINSTANCE instance);
// The main window at its full size, centred, titled with the updater name;
// null on failure.
HWND create_updater_window(HINSTANCE instance, const wchar_t* title);

// Starts the front-retry timer with a fresh count.
void start_front_retry(HWND window);

// Brings the window to the front past the foreground lock; whether it worked.
bool force_front_window(HWND window);

LRESULT CALLBACK updaterWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
