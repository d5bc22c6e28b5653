#pragma once
// Sizes of the launcher's window and controls, given for 96 dpi and scaled
// once at start to the system dpi.
#include <windows.h>

struct LauncherLayout {
  int window_width = 1200;
  int window_height = 678;
  int close_width = 48;
  int close_height = 48;
  int close_margin = 8;  // from the client area's right edge
  int close_top = 8;
  int overlay_height = 60;
  int overlay_gap = 260;  // between the drag overlay and the window's right edge
};

// The 96-dpi layout scaled to dpi (unchanged at 96 dpi or below).
LauncherLayout scale_layout(UINT dpi);
