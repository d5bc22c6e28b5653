#pragma once
// The scripts' one floater, driven by {"action": N, ...} requests: 1 open,
// 2 show, 3 hide, 4 destroy, 5 load a URL, 6 reload, 7 resize, 8 move,
// 9 draggable, 10 run a script, 11 bounds, 12 frame.
#include <cjson/cJSON.h>

#include <cstdint>
#include <string>

namespace VemoSDK {

class VemoFloater;

enum FloaterAction : int {
  kFloaterOpen = 1,
  kFloaterShow = 2,
  kFloaterHide = 3,
  kFloaterDestroy = 4,
  kFloaterLoadUrl = 5,
  kFloaterReload = 6,
  kFloaterResize = 7,
  kFloaterMove = 8,
  kFloaterDraggable = 9,
  kFloaterScript = 10,
  kFloaterBounds = 11,
  kFloaterFrame = 12,
};

struct FloaterActionAnswer {
  int result = 0;      // 1 done (or handed to the UI thread), 0 refused
  std::string bounds;  // action 11: {"x","y","width","height"}, zeros without a floater
};

// The FLOATER entry (request taken over). The action runs on the UI thread
// through the host's main-thread handler when one is set, and the answer is
// then 1 once it is handed over; without a handler it runs in place and the
// answer is its own. Action 11 always runs in place. Action 10 answers Lua
// once with {"result": the script's value as JSON text, "" when it has none
// or could not run} under the callback id.
FloaterActionAnswer vmsdk_floater_action(int64_t callbackId, cJSON* request);

// The scripts' floater, or null. UI thread.
VemoFloater* currentLuaFloater();

}  // namespace VemoSDK
