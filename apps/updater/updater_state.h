#pragma once
// The updater's process-wide state. UI thread only.
#include "program_state.h"
#include "progress_state.h"
#include "skin_images.h"
#include "updater_layout.h"
#include "updater_skin.h"

#include <windows.h>

#include <string>


constexpr char kUpdaterVersion[] = "1.0.9";
constexpr wchar_t kUpdaterWindowClass[] = L"vemosdk_updater_class";
constexpr UINT_PTR kFrontRetryTimerId = 10011;
constexpr UINT kFrontRetryPeriodMs = 300;
constexpr int kFrontRetryCount = 5;
constexpr int kCloseButtonControl = 1001;
constexpr int kMinimiseButtonControl = 1002;
constexpr int kActionButtonControl = 1003;

// The bottom panel with the progress area and the version label.
struct ProgressWindows {
  bool classes_tried = false;  // registration and creation run once per process
  HWND panel = nullptr;
  HWND area = nullptr;
  HWND action_button = nullptr;
  HWND version_label = nullptr;
  vemo::UniqueGdiObject<HFONT> title_font;
  vemo::UniqueGdiObject<HFONT> text_font;  // the left and right texts and the action button
};

struct UpdaterState : ProgramState {
  HWND minimise_button = nullptr;
  int front_retries_left = kFrontRetryCount;
  bool merge_ok = true;  // the start-up merge's result; true until it has run
  UpdaterLayout layout;

  UpdaterSkin skin;
  SkinImages images;
  ProgressState progress;
  ProgressWindows progress_windows;
  // The transparent children copy their part of the base's background.
};

UpdaterState& updater_state();
