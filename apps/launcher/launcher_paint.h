#pragma once
// The launcher window's images: loading them from the program folder, the
// background with the version text, and the owner-drawn close button.
#include "launcher_state.h"
#include "paint_helpers.h"

// "window_background.jpg" and "close_btn.png" of the program folder; each
// missing image is printed and shown in a message box.
void load_window_images(LauncherState& state);
void release_window_images(LauncherState& state);

void paint_main_window(HWND window, LauncherState& state);
void drawCloseButton(const DRAWITEMSTRUCT& item, LauncherState& state);
