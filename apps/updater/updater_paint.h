#pragma once
// Drawing the updater's window: the background, the close and minimise
// buttons, the bottom panel, the progress area and the action button. The
// transparent children copy the part of the main window's background that
// lies behind them, and paint through a memory bitmap so nothing flickers.
// UI thread only.
#include "updater_state.h"

void paint_updater_background(HWND window, UpdaterState& state);
void paint_bottom_panel(HWND panel, UpdaterState& state);
void paint_progress_area(HWND area, UpdaterState& state);

// The bar inside its rectangle: the rounded track, the fill clipped to it
// (the error colour in the error state) and the border.
void draw_progress_bar(HDC dc, const RECT& bar, const ProgressState& progress, const UpdaterSkin& skin);

void draw_window_button(const DRAWITEMSTRUCT& item, UpdaterState& state);
void draw_action_button(const DRAWITEMSTRUCT& item, UpdaterState& state);

// Frees the cached bitmap and the fonts.
void release_updater_paint(UpdaterState& state);
