#include "updater_layout.h"

UpdaterLayout scale_updater_layout(UINT dpi) {
  UpdaterLayout layout;
  if (dpi <= 96) return layout;
  int* values[] = {&layout.window_width, &layout.window_height,  &layout.button_width, &layout.button_height,
                   &layout.close_margin, &layout.button_top,     &layout.button_gap,   &layout.progress_width,
                   &layout.panel_height, &layout.caption_height};
  for (int* value : values) *value = scale_to_dpi(*value, dpi);
  return layout;
}

int scale_to_dpi(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

UpdaterGeometry compute_updater_geometry(const UpdaterLayout& layout, UINT dpi, int client_width,
                                         SIZE button_picture) {
  auto box = [](int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; };
  UpdaterGeometry g;
  int close_x = client_width - layout.close_margin - layout.button_width;
  g.close_button = box(close_x, layout.button_top, layout.button_width, layout.button_height);
  int minimise_x = client_width - 2 * layout.button_width - layout.button_gap - layout.close_margin;
  g.minimise_button = box(minimise_x, layout.button_top, layout.button_width, layout.button_height);

  g.panel = box(0, layout.window_height - layout.panel_height, layout.window_width, layout.panel_height);
  g.progress_area = box((layout.window_width - layout.progress_width) / 2, scale_to_dpi(40, dpi) / 2,
                        layout.progress_width, layout.panel_height);

  int button_width = scale_to_dpi(160, dpi);
  int button_height = scale_to_dpi(40, dpi);
  if (button_picture.cx > 0 && button_picture.cy > 0) {
    button_width = scale_to_dpi(button_picture.cx, dpi);
    button_height = scale_to_dpi(button_picture.cy, dpi);
  }
  int button_y = layout.panel_height - scale_to_dpi(40, dpi) / 2 - button_height - scale_to_dpi(24, dpi);
  g.action_button = box((layout.progress_width - button_width) / 2, button_y, button_width, button_height);

  int label_width = scale_to_dpi(200, dpi);
  int label_height = scale_to_dpi(20, dpi);
  g.version_label = box(layout.window_width - scale_to_dpi(10, dpi) - label_width,
                        layout.panel_height - label_height, label_width, label_height);
  return g;
}

ProgressAreaGeometry compute_progress_area_geometry(int width, UINT dpi) {
  ProgressAreaGeometry g;
  int title_height = scale_to_dpi(28, dpi);
  g.title = RECT{0, 0, width, title_height};
  int bar_top = title_height + scale_to_dpi(6, dpi);
  int bar_bottom = bar_top + scale_to_dpi(12, dpi);
  g.bar = RECT{0, bar_top, width, bar_bottom};
  int text_bottom = bar_bottom + scale_to_dpi(24, dpi);
  g.left_text = RECT{0, bar_bottom, width * 2 / 3, text_bottom};
  g.right_text = RECT{width * 2 / 3, bar_bottom, width, text_bottom};
  return g;
}
