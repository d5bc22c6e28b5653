#pragma once
// What both programs keep of their main window; each program's state adds
// its own. UI thread only.
#include "core/owners.h"
#include "tick_throttle.h"

#include <windows.h>

#include <string>

struct lua_State;

// The launcher's window class: the updater looks for the launcher's window by it.
constexpr wchar_t kLauncherWindowClass[] = L"vemosdk_launcher_class";
// Ends the launcher as the user's exit would; the updater posts it when it
// must replace the launcher's files (the tray callback is WM_APP + 1).
constexpr UINT WM_APP_SHUTDOWN = WM_APP + 2;
// The timer that drives the scripts' tick in both programs.
constexpr UINT_PTR kTickTimerId = 10010;
constexpr UINT kTickPeriodMs = 100;

struct ProgramState {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND close_button = nullptr;
  lua_State* lua = nullptr;
  bool in_move = false;
  TickThrottle tick_throttle;
  UINT dpi = 96;
  std::wstring title;  // the program's name

  // The background scaled to the client size, rebuilt only when that size
  // changes.
  vemo::UniqueGdiObject<HBITMAP> background_bitmap;
  int background_bitmap_width = 0;
  int background_bitmap_height = 0;
};
