#include "progress_state.h"

#include "updater_layout.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/text_convert.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <memory>

namespace {

void replace_text(const cJSON* root, const char* key, std::wstring& text) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key);
  if (cJSON_IsString(item) && item->valuestring) text = utf8_to_wstring(item->valuestring);
}

}  // namespace

ProgressUpdate apply_progress_options(ProgressState& state, const char* json_text) {
  ProgressUpdate update;
  vemo::JsonPtr root(json_text ? cJSON_Parse(json_text) : nullptr);
  if (!root) {
    vemo_debug_printf("_download_progress parse json failed\n");
    return update;
  }
  update.parsed = true;
  replace_text(root.get(), "titleText", state.title);
  replace_text(root.get(), "leftText", state.left_text);
  replace_text(root.get(), "rightText", state.right_text);

  const cJSON* percent = cJSON_GetObjectItemCaseSensitive(root.get(), "percent");
  if (cJSON_IsNumber(percent)) {
    float value = static_cast<float>(percent->valuedouble);
    state.percent = value != value ? 0.0f : std::clamp(value, 0.0f, 100.0f);  // NaN reads as 0
    vemo_debug_printf("g_progress_percent = %.2f\n", state.percent);
  }
  const cJSON* look = cJSON_GetObjectItemCaseSensitive(root.get(), "state");
  if (cJSON_IsNumber(look)) state.state = look->valueint;

  const cJSON* button = cJSON_GetObjectItemCaseSensitive(root.get(), "buttonText");
  std::wstring button_text;
  bool visible = cJSON_IsString(button) && button->valuestring;
  if (visible) button_text = utf8_to_wstring(button->valuestring);
  update.button_text_changed = button_text != state.button_text || visible != state.button_visible;
  state.button_text = button_text;
  state.button_visible = visible;
  return update;
}

BarShape compute_bar_shape(int left, int top, int right, int bottom, float percent) {
  BarShape shape;
  float inset = kBarBorderWidth / 2;
  shape.x = left + inset;
  shape.y = top + inset;
  shape.width = std::max(0.0f, static_cast<float>(right - left) - kBarBorderWidth);
  shape.height = std::max(0.0f, static_cast<float>(bottom - top) - kBarBorderWidth);
  float radius = kBarCornerRadius;
  if (2 * radius > shape.width) radius = shape.width / 2;
  if (2 * radius > shape.height) radius = shape.height / 2;
  shape.radius = radius < 1.0f ? 0.0f : radius;
  float fill = percent / 100.0f * shape.width;
  shape.fill_width = fill > 0 ? std::min(fill, shape.width) : 0.0f;
  return shape;
}
