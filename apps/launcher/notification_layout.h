#pragma once
// Sizes and places of the download notification window, at the system dpi.
#include <windows.h>

struct NotificationMetrics {
  UINT dpi = 96;  // what the lengths below are scaled to (never below 96)
  int width = 400;
  int height = 112;
  int button_width = 120;
  int button_height = 36;
  int close_size = 24;
  int icon_size = 72;
  int margin = 20;            // left and right
  int text_half_height = 24;  // half the height of the text area
  int icon_gap = 16;          // between the icon and the text
  int font_height = 18;       // both fonts

  // A 96-dpi length at this dpi.
  int scaled(int length) const { return MulDiv(length, static_cast<int>(dpi), 96); }
};

// The lengths at a dpi; at 96 or less they stay as they are.
NotificationMetrics scale_notification_metrics(UINT dpi);

struct NotificationLayout {
  RECT icon, button, text, close;
};

NotificationLayout layout_notification(const NotificationMetrics& metrics);

// The window's top-left corner in the bottom-right corner of the work area.
POINT notification_position(const RECT& work_area, const NotificationMetrics& metrics);
