#pragma once
// The launcher's process-wide state. UI thread only.
#include "launcher_layout.h"
#include "program_state.h"

#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <memory>
#include <string>

constexpr char kLauncherVersion[] = "1.0.9";
constexpr int kCloseButtonId = 1001;

enum class CloseAction { kHideToTray = 0, kExit = 1 };

struct LauncherState : ProgramState {
  HWND drag_overlay = nullptr;
  bool main_window_active = true;
  CloseAction close_action = CloseAction::kHideToTray;
  LauncherLayout layout;
  UINT taskbar_created_message = 0;

  // Painting: the images of the program folder; the background scaled to
  // the client size is the base's.
  std::unique_ptr<Gdiplus::Image> background_image;
  std::unique_ptr<Gdiplus::Image> close_image;
  vemo::UniqueGdiObject<HFONT> version_font;
};

LauncherState& launcher_state();
