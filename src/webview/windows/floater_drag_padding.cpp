#include "webview/windows/floater_drag_padding.h"

#include "core/debug_log.h"

#include <algorithm>

namespace VemoSDK {
namespace {

float member(const cJSON* padding, const char* name) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(padding, name);
  return cJSON_IsNumber(item) ? static_cast<float>(item->valuedouble) : 0.0f;
}

// A size of 0 has nothing to take a fraction of.
float fraction(float pixels, int size) { return size > 0 ? pixels / static_cast<float>(size) : 0.0f; }

DragPadding fromPixels(const cJSON* padding, int width, int height) {
  if (!padding) return DragPadding{};
  return DragPadding{fraction(member(padding, "left"), width), fraction(member(padding, "top"), height),
                     fraction(member(padding, "right"), width), fraction(member(padding, "bottom"), height)};
}

}  // namespace

DragSetting reconcileDragPadding(bool hasDraggableParameter, bool draggable, const cJSON* padding, int width,
                                 int height) {
  DragSetting setting{draggable, DragPadding{}};
  if (!hasDraggableParameter) {
    setting.draggable = padding != nullptr;
    vemo_debug_printf(
        "game not set draggable parameter, and now has drag_padding, set draggable : %d, drag_padding : %d\n",
        setting.draggable ? 1 : 0, padding ? 1 : 0);
    setting.padding = fromPixels(padding, width, height);
  } else if (draggable && !padding) {
    vemo_debug_print("game has set draggable parameter, and its true, but drag_padding is nil, set it to default");
    setting.padding = DragPadding{0, 0, 0, 0};
  } else if (!draggable && padding) {
    vemo_debug_print("game has set draggable parameter to false, but drag_padding is NOT nil, set it to nil");
  } else {
    setting.padding = fromPixels(padding, width, height);
  }
  const DragPadding& p = setting.padding;
  vemo_debug_printf("updateDragPadding drag_padding left:%f, top:%f, right:%f, bottom:%f\n", p.left, p.top, p.right,
                    p.bottom);
  return setting;
}

RECT dragAreaRect(int width, int height, const DragPadding& padding) {
  int left = static_cast<int>(static_cast<float>(width) * padding.left);
  int top = static_cast<int>(static_cast<float>(height) * padding.top);
  int right = static_cast<int>(static_cast<float>(width) * padding.right);
  int bottom = static_cast<int>(static_cast<float>(height) * padding.bottom);
  int areaWidth = std::max(0, width - left - right);
  int areaHeight = std::max(0, height - top - bottom);
  return RECT{left, top, left + areaWidth, top + areaHeight};
}

}  // namespace VemoSDK
