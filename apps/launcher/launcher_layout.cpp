#include "launcher_layout.h"

LauncherLayout scale_layout(UINT dpi) {
  LauncherLayout layout;
  if (dpi <= 96) return layout;
  int* values[] = {&layout.window_width, &layout.window_height, &layout.close_width, &layout.close_height,
                   &layout.close_margin, &layout.close_top,     &layout.overlay_height, &layout.overlay_gap};
  for (int* value : values) *value = MulDiv(*value, static_cast<int>(dpi), 96);
  return layout;
}

