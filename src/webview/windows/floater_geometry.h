#pragma once
// Where a floater may stand inside its parent's client area, and when a
// press on it becomes a drag. Plain arithmetic, any thread.
#include <cjson/cJSON.h>

#include <windows.h>

namespace VemoSDK {

struct FloaterBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const FloaterBox& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// Bounds asked for while the board is protected: the size fits the parent,
// and a floater passing the right or bottom edge is pulled back inside (one
// that starts left of or above the parent stays there).
FloaterBox clampToBoard(FloaterBox wanted, int parentWidth, int parentHeight);

// Where a dragged floater settles on a protected board: wholly inside.
FloaterBox settleInsideBoard(FloaterBox dropped, int parentWidth, int parentHeight);

// A press becomes a drag once the cursor has gone more than 10 pixels
// from where it went down, along either axis.
bool passesDragThreshold(POINT pressed, POINT now);

// {"x", "y", "width", "height"} (caller deletes).
cJSON* boxJson(const FloaterBox& box);

// Edges included.
bool boxContains(const FloaterBox& box, POINT point);

}  // namespace VemoSDK
