#pragma once
// Which part of a floater drags it: insets from its four edges as fractions
// of its width (left, right) and height (top, bottom). The page or the game
// gives them in pixels; the game may also say "draggable" on its own, and
// the two are reconciled here.
#include <cjson/cJSON.h>

#include <windows.h>

namespace VemoSDK {

struct DragPadding {
  float left = 0;
  float top = 0;
  float right = 1;  // (0, 0, 1, 1): no drag area at all
  float bottom = 1;
};

struct DragSetting {
  bool draggable = false;
  DragPadding padding;
};

// padding: the "drag_padding" object in pixels ({left, top, right, bottom};
// a member that is not a number counts 0), or null when none was given.
// Without a "draggable" from the game, a padding makes the floater
// draggable; draggable without a padding drags by the whole window; not
// draggable with a padding has no drag area. A zero width or height gives
// that direction no padding.
DragSetting reconcileDragPadding(bool hasDraggableParameter, bool draggable, const cJSON* padding, int width,
                                 int height);

// The drag area in floater client coordinates for a width x height floater.
RECT dragAreaRect(int width, int height, const DragPadding& padding);

}  // namespace VemoSDK
