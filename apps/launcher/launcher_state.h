#pragma once
// The launcher's process-wide state. UI thread only.
#include "gdi_object.h"
#include "launcher_layout.h"
#include "tick_throttle.h"

#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <memory>
#include <string>

struct lua_State;

constexpr char kLauncherVersion[] = "1.0.9";
constexpr wchar_t kLauncherWindowClass[] = L"vemosdk_launcher_class";
constexpr UINT_PTR kTickTimerId = 10010;
constexpr UINT kTickPeriodMs = 100;
constexpr int kCloseButtonId = 1001;
constexpr UINT WM_APP_SHUTDOWN = WM_APP + 2;  // the tray callback is WM_APP + 1

enum class CloseAction { kHideToTray = 0, kExit = 1 };

struct LauncherState {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND close_button = nullptr;
  HWND drag_overlay = nullptr;
  bool in_move = false;
  bool main_window_active = true;
  TickThrottle tick_throttle;
  lua_State* lua = nullptr;
  CloseAction close_action = CloseAction::kHideToTray;
  UINT dpi = 96;
  LauncherLayout layout;
  std::wstring title;  // the launcher name
  UINT taskbar_created_message = 0;

  // Painting: the images of the program folder and the background scaled
  // to the client size, rebuilt only when that size changes.
  std::unique_ptr<Gdiplus::Image> background_image;
  std::unique_ptr<Gdiplus::Image> close_image;
  UniqueGdiObject<HBITMAP> background_bitmap;
  int background_bitmap_width = 0;
  int background_bitmap_height = 0;
  UniqueGdiObject<HFONT> version_font;
};

LauncherState& launcher_state();
