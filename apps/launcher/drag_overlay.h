#pragma once
// A practically invisible window over the top of the main window that takes
// the mouse and drags the main window by it.
#include "launcher_state.h"

// Creates the overlay over the main window's top edge; null on failure.
HWND create_drag_overlay(const LauncherState& state);
// Puts the overlay back over the main window's top-left corner.
void sync_overlay_position(const LauncherState& state);
