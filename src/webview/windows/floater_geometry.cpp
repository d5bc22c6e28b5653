#include "webview/windows/floater_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace VemoSDK {

FloaterBox clampToBoard(FloaterBox wanted, int parentWidth, int parentHeight) {
  FloaterBox box = wanted;
  box.width = std::clamp(box.width, 0, std::max(0, parentWidth));
  box.height = std::clamp(box.height, 0, std::max(0, parentHeight));
  if (box.x + box.width > parentWidth) box.x = parentWidth - box.width;
  if (box.y + box.height > parentHeight) box.y = parentHeight - box.height;
  return box;
}

FloaterBox settleInsideBoard(FloaterBox dropped, int parentWidth, int parentHeight) {
  FloaterBox box = dropped;
  box.x = std::min(std::max(box.x, 0), parentWidth - box.width);
  box.y = std::min(std::max(box.y, 0), parentHeight - box.height);
  return box;
}

bool passesDragThreshold(POINT pressed, POINT now) {
  return std::abs(now.x - pressed.x) > 10 || std::abs(now.y - pressed.y) > 10;
}

cJSON* boxJson(const FloaterBox& box) {
  cJSON* json = cJSON_CreateObject();
  cJSON_AddNumberToObject(json, "x", box.x);
  cJSON_AddNumberToObject(json, "y", box.y);
  cJSON_AddNumberToObject(json, "width", box.width);
  cJSON_AddNumberToObject(json, "height", box.height);
  return json;
}

bool boxContains(const FloaterBox& box, POINT point) {
  return point.x >= box.x && point.x <= box.x + box.width && point.y >= box.y && point.y <= box.y + box.height;
}

}  // namespace VemoSDK
