#include "notification_layout.h"

#include <initializer_list>

NotificationMetrics scale_notification_metrics(UINT dpi) {
  NotificationMetrics metrics;
  if (dpi <= 96) return metrics;
  metrics.dpi = dpi;
  for (int* length : {&metrics.width, &metrics.height, &metrics.button_width, &metrics.button_height,
                      &metrics.close_size, &metrics.icon_size, &metrics.margin, &metrics.text_half_height,
                      &metrics.icon_gap, &metrics.font_height})
    *length = metrics.scaled(*length);
  return metrics;
}

NotificationLayout layout_notification(const NotificationMetrics& m) {
  NotificationLayout layout;
  int icon_top = (m.height - m.icon_size) / 2;
  layout.icon = {m.margin, icon_top, m.margin + m.icon_size, icon_top + m.icon_size};

  int button_top = (m.height - m.button_height) / 2;
  int button_right = m.width - m.margin;
  layout.button = {button_right - m.button_width, button_top, button_right, button_top + m.button_height};

  int text_left = m.icon_size + m.margin + m.icon_gap;
  int text_right = layout.button.left - m.scaled(12);
  if (text_right < text_left) text_right = text_left;
  int text_top = m.height / 2 - m.text_half_height;
  layout.text = {text_left, text_top, text_right, text_top + 2 * m.text_half_height};

  int close_left = m.width - m.close_size - m.scaled(8);
  int close_top = m.scaled(8);
  layout.close = {close_left, close_top, close_left + m.close_size, close_top + m.close_size};
  return layout;
}

POINT notification_position(const RECT& work_area, const NotificationMetrics& m) {
  return POINT{work_area.right - m.width - m.scaled(20), work_area.bottom - m.height - m.scaled(15)};
}
