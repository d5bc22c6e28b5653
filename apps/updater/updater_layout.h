#pragma once
// Sizes of the updater's window and controls, given for 96 dpi and scaled
// once at start to the system dpi, and the rectangles of the progress window
// derived from them.
#include <windows.h>

struct UpdaterLayout {
  int window_width = 1200;
  int window_height = 678;
  int button_width = 46;  // close and minimise buttons
  int button_height = 46;
  int close_margin = 60;  // from the client area's right edge to the close button
  int button_top = 20;
  int button_gap = 8;  // between the minimise and the close button
  int progress_width = 1000;
  int panel_height = 160;
  int caption_height = 60;  // the window is dragged by this top strip
};

// Values that are never scaled.
constexpr float kBarCornerRadius = 6.0f;
constexpr float kBarBorderWidth = 2.0f;

// The 96-dpi layout scaled to dpi (unchanged at 96 dpi or below).
UpdaterLayout scale_updater_layout(UINT dpi);

// MulDiv(value, dpi, 96).
int scale_to_dpi(int value, UINT dpi);

// Where the controls sit: buttons in the main window's client area, the
// panel in the main window, the progress area in the panel, the action
// button in the progress area, the version label in the panel.
struct UpdaterGeometry {
  RECT close_button;
  RECT minimise_button;
  RECT panel;
  RECT progress_area;
  RECT action_button;
  RECT version_label;
};

// client_width: the main window's client width. button_picture: the size of
// "button.png" (zero when it is missing), which gives the action button its
// size when it has one.
UpdaterGeometry compute_updater_geometry(const UpdaterLayout& layout, UINT dpi, int client_width,
                                         SIZE button_picture);

// The progress area's parts, in its own coordinates.
struct ProgressAreaGeometry {
  RECT title;
  RECT bar;
  RECT left_text;
  RECT right_text;
};
ProgressAreaGeometry compute_progress_area_geometry(int width, UINT dpi);
