#include "webview/windows/floater_actions.h"

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "webview/webview_json.h"
#include "webview/webview_user_agent.h"
#include "webview/window_work.h"
#include "webview/windows/vemo_floater.h"

#include <memory>

namespace VemoSDK {
namespace {

constexpr const char* kFloaterOptions = "{\"hide_close_btn\":true}";
constexpr const char* kDefaultFloaterAgent =
    "Mozilla/5.0 (iPhone; CPU iPhone OS 13_2_3 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/13.0.3 Mobile/15E148 Safari/604.1";
constexpr int kFrameTypeAutoScaling = 0x4;

// Never emptied by a static destructor: a floater still open at exit goes
// with the process's windows, not through window calls on a dying thread.
struct LuaFloaterSlot {
  std::unique_ptr<VemoFloater> floater;
  ~LuaFloaterSlot() { (void)floater.release(); }
};

LuaFloaterSlot& slot() {
  static LuaFloaterSlot floaterSlot;
  return floaterSlot;
}

const cJSON* member(const cJSON* object, const char* name) { return cJSON_GetObjectItemCaseSensitive(object, name); }

// The one answer of a script run: the value, or "" if the run ends without
// one (no floater, a failure, a page gone first).
class ScriptAnswer {
public:
  explicit ScriptAnswer(int64_t callbackId) : callbackId_(callbackId) {}
  ~ScriptAnswer() { send(""); }
  ScriptAnswer(const ScriptAnswer&) = delete;
  ScriptAnswer& operator=(const ScriptAnswer&) = delete;

  void send(const std::string& value) {
    if (sent_) return;
    sent_ = true;
    vemo::JsonPtr answer(cJSON_CreateObject());
    cJSON_AddStringToObject(answer.get(), "result", value.c_str());
    postAsyncResult(callbackId_, printJson(answer.get(), false).c_str());
  }

private:
  int64_t callbackId_;
  bool sent_ = false;
};

std::wstring floaterUserAgent(const cJSON* params) {
  const char* given = json_get_string(params, "user_agent");
  std::string agent = given ? given : kDefaultFloaterAgent;
  return utf8_to_wstring(agent + " " + sdkUserAgentSuffix() + " window");
}

int openFloater(int64_t, cJSON* request) {
  if (!request) {
    vemo_debug_print("params is NULL");
    return 0;
  }
  HWND mainWindow = vmsdk_get_main_hwnd();
  if (!mainWindow) {
    vemo_debug_print("mainWnd is NULL");
    return 0;
  }
  slot().floater.reset();
  cJSON* params = cJSON_GetObjectItemCaseSensitive(request, "params");
  if (!cJSON_IsObject(params)) params = nullptr;
  std::wstring agent = floaterUserAgent(params);
  if (json_get_int(params, "frame_type") & kFrameTypeAutoScaling) {
    cJSON_DeleteItemFromObjectCaseSensitive(params, "auto_scaling");
    cJSON_AddNumberToObject(params, "auto_scaling", 1);
  }
  WebViewSettingsMap map{{"user_agent", agent.c_str()}, {"options", kFloaterOptions}};
  if (params) map["params_data"] = params;
  std::string injection;
  if (const cJSON* given = member(params, "injection")) {
    injection = printJson(given, false);
    map["injection"] = injection.c_str();
  }
  const cJSON* size = member(request, "size");
  const cJSON* pos = member(request, "pos");
  std::string url = json_string_or_empty(request, "url");
  auto floater = std::make_unique<VemoFloater>(mainWindow, 1, url, json_get_int(pos, "x"), json_get_int(pos, "y"),
                                               json_get_int(size, "width"), json_get_int(size, "height"), map);
  floater->open(url, map);
  if (!url.empty()) floater->loadUrl(url);
  slot().floater = std::move(floater);
  return 1;
}

bool readSize(const cJSON* request, const char* first, const char* second, int& a, int& b) {
  a = json_get_int(request, first);
  b = json_get_int(request, second);
  return a >= 0 && b >= 0;
}

int runOnFloater(VemoFloater& floater, int action, const cJSON* request) {
  WebViewWindowBounds bounds = floater.getBounds();
  switch (action) {
  case kFloaterShow:
    floater.show();
    return 1;
  case kFloaterHide:
    floater.hide();
    return 1;
  case kFloaterLoadUrl: {
    const char* url = json_get_string(request, "url");
    if (!url) return 0;
    floater.loadUrl(url);
    return 1;
  }
  case kFloaterReload:
    floater.reload();
    return 1;
  case kFloaterResize: {
    int width = 0, height = 0;
    if (!readSize(request, "width", "height", width, height)) return 0;
    floater.setBounds(bounds.x, bounds.y, width, height);
    return 1;
  }
  case kFloaterMove: {
    int x = 0, y = 0;
    if (!readSize(request, "x", "y", x, y)) return 0;
    floater.setBounds(x, y, bounds.width, bounds.height);
    return 1;
  }
  case kFloaterFrame: {
    int x = 0, y = 0, width = 0, height = 0;
    if (!readSize(request, "x", "y", x, y) || !readSize(request, "width", "height", width, height)) return 0;
    floater.setBounds(x, y, width, height);
    return 1;
  }
  case kFloaterDraggable: {
    if (!member(request, "draggable")) return 0;
    floater.setDraggable(json_get_int_or_bool(request, "draggable") != 0);
    return 1;
  }
  default:
    return 0;
  }
}

int runScript(int64_t callbackId, const cJSON* request) {
  auto answer = std::make_shared<ScriptAnswer>(callbackId);
  const char* script = json_get_string(request, "script");
  VemoFloater* floater = currentLuaFloater();
  if (!floater || !script) return 0;  // the answer goes as the last owner lets go
  floater->executeScript(script, [answer](const std::string& value) { answer->send(value); });
  return 1;
}

int runAction(int action, int64_t callbackId, cJSON* request) {
  switch (action) {
  case kFloaterOpen:
    return openFloater(callbackId, request);
  case kFloaterDestroy:
    if (slot().floater) slot().floater->close();
    slot().floater.reset();
    return 1;
  case kFloaterScript:
    return runScript(callbackId, request);
  default:
    VemoFloater* floater = currentLuaFloater();
    return floater ? runOnFloater(*floater, action, request) : 0;
  }
}

std::string boundsText() {
  FloaterBox box;
  if (VemoFloater* floater = currentLuaFloater()) {
    WebViewWindowBounds bounds = floater->getBounds();
    box = FloaterBox{bounds.x, bounds.y, bounds.width, bounds.height};
  }
  vemo::JsonPtr json(boxJson(box));
  return printJson(json.get(), false);
}

}  // namespace

VemoFloater* currentLuaFloater() { return slot().floater.get(); }

FloaterActionAnswer vmsdk_floater_action(int64_t callbackId, cJSON* request) {
  std::shared_ptr<cJSON> owned(vemo::JsonPtr{request});
  const cJSON* action = member(request, "action");
  FloaterActionAnswer answer;
  if (!cJSON_IsNumber(action) || action->valueint < kFloaterOpen || action->valueint > kFloaterFrame) return answer;
  int number = action->valueint;
  if (number == kFloaterBounds) {
    answer.result = 1;
    answer.bounds = boundsText();
    return answer;
  }
  auto job = [number, callbackId, owned] {
    int result = runAction(number, callbackId, owned.get());
    if (!result) {
      vemo_debug_print("vemo live act failed");
      vemo_debug_printf("action:%d\n", number);
    }
    return result;
  };
  if (vemosdk_get_main_thread_handler()) {
    runWindowWork([job] { job(); });
    answer.result = 1;
  } else {
    answer.result = job();
  }
  return answer;
}

}  // namespace VemoSDK
