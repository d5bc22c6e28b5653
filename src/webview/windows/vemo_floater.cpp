#include "webview/windows/vemo_floater.h"

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/text_convert.h"
#include "webview/overlay/window_placement.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_json.h"

#include <utility>

namespace VemoSDK {
namespace {

const cJSON* member(const cJSON* object, const char* name) { return cJSON_GetObjectItemCaseSensitive(object, name); }

}  // namespace

VemoFloater::VemoFloater(HWND parent, int kind, const std::string& url, int x, int y, int width, int height,
                         const WebViewSettingsMap& params)
    : VemoWebViewWindow(parent, kind, params), url_(url) {
  // The bounds first: the drag padding is taken as a fraction of them.
  this->x = x;
  this->y = y;
  this->width = width;
  this->height = height;
  pageOptions_ = WebViewPageOptions::fromText(webViewSetting<char>(params, "options"));
  hideCloseButton = pageOptions_.hideCloseButton;
  readParams(webViewSetting<cJSON>(params, "params_data"));
}

VemoFloater::~VemoFloater() {
  close();
  webView_.reset();
}

void VemoFloater::readParams(const cJSON* params) {
  const cJSON* draggable = member(params, "draggable");
  hasDraggableParameter_ = draggable != nullptr;
  draggable_ = json_get_int_or_bool(params, "draggable") != 0;
  vemo_debug_printf("VemoFloater, no draggable parameter\xEF\xBC\x8C draggable:%d, _has_draggable_parameter:%d\n",
                    draggable_ ? 1 : 0, hasDraggableParameter_ ? 1 : 0);
  debuggable_ = json_get_int_or_bool(params, "debuggable") != 0;
  const cJSON* padding = member(params, "drag_padding");
  applyDragPadding(cJSON_IsObject(padding) ? padding : nullptr);
  autoScaling_ = json_get_int_or_bool(params, "auto_scaling") != 0;
  hideOnOutsideClick_ = json_get_int_or_bool(params, "disable_outside_touch") == 1;
  const cJSON* options = member(params, "options");
  enableLoading_ = json_get_int_or_bool(options, "enable_loading") == 1;
  protectedBoard_ = !cJSON_IsFalse(member(options, "protected_board"));
}

void VemoFloater::applyDragPadding(const cJSON* padding) {
  DragSetting setting = reconcileDragPadding(hasDraggableParameter_, draggable_, padding, width, height);
  draggable_ = setting.draggable;
  dragPadding_ = setting.padding;
}

void VemoFloater::onWebViewCreated(bool ok) {
  VemoWebViewWindow::onWebViewCreated(ok);
  if (ok && !visible_ && hwnd) ShowWindow(hwnd, SW_HIDE);
  layDragArea();  // above the page's own window, which has just been made
}

void VemoFloater::onNavigationStarting() {
  VemoWebViewWindow::onNavigationStarting();
  if (loading_ && visible_) loading_->start();
}

void VemoFloater::onNavigationCompleted(bool ok) {
  VemoWebViewWindow::onNavigationCompleted(ok);
  if (loading_) loading_->stop();
}

cJSON* VemoFloater::onWebMessage(const std::string& id, const std::string& name, const cJSON* args) {
  if (name == "floaterNativeAction") {
    const cJSON* padding = member(args, "setDragPadding");
    if (cJSON_IsObject(padding)) {
      applyDragPadding(padding);
      layDragArea();
      vemo_debug_printf("setDragPadding received, left:%f, top:%f, right:%f, bottom:%f\n", dragPadding_.left,
                        dragPadding_.top, dragPadding_.right, dragPadding_.bottom);
    }
  }
  return VemoWebViewWindow::onWebMessage(id, name, args);
}

void VemoFloater::open(const std::string& url, const WebViewSettingsMap& params) {
  VemoWebViewWindow::open(url, params);
  if (!hwnd) return;
  url_ = url;
  webView_ = std::make_unique<VemoWebView>(hwnd, url, 0, 0, width, height, params, this, false);
  if (enableLoading_) {
    RECT area = centreRect(hwnd, 40, 40);
    loading_ = std::make_unique<Loading>(hwnd, area.left, area.top, area.right, area.bottom, WS_POPUP, 55, 55);
  }
}

void VemoFloater::setBounds(int x, int y, int width, int height) {
  FloaterBox wanted{x, y, width, height};
  if (protectedBoard_) {
    SIZE board = parentClientSize();
    wanted = clampToBoard(wanted, board.cx, board.cy);
  }
  if (hwnd) MoveWindow(hwnd, wanted.x, wanted.y, wanted.width, wanted.height, TRUE);
  if (webView_) webView_->setBounds(0, 0, wanted.width, wanted.height);
  FloaterBox before = box();
  this->x = wanted.x;
  this->y = wanted.y;
  this->width = wanted.width;
  this->height = wanted.height;
  layDragArea();
  if (wanted.x != before.x || wanted.y != before.y) postFloaterEvent(kFloaterMoved, true);
  if (wanted.width != before.width || wanted.height != before.height) postFloaterEvent(kFloaterResized, true);
}

void VemoFloater::show() {
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
  visible_ = true;
  if (loading_ && webView_ && webView_->state() == kWebViewNavigating) loading_->start();
  postFloaterEvent(kFloaterShown, false);
}

void VemoFloater::hide() {
  if (hwnd) ShowWindow(hwnd, SW_HIDE);
  visible_ = false;
  if (loading_) loading_->stop();
  postFloaterEvent(kFloaterHidden, false);
}

int VemoFloater::close() {
  // The window's own destruction, the destructor and the scripts may each
  // ask; the first one closes, so Lua hears of it and the callback runs once.
  if (closed_) return 0;
  closed_ = true;
  pressed_ = dragging_ = pendingThreshold_ = false;
  HWND cover = std::exchange(dragCover_, nullptr);
  std::unique_ptr<Loading> loading = std::move(loading_);
  for (HWND child = GetWindow(parentWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    VemoFloater* other = fromWindow(child);
    if (other && other != this && other->kind == kLuaFloater) other->refreshCloseButton();
  }
  if (hwnd) {
    postFloaterEvent(kFloaterClosed, false);
    destroyDragArea(cover);
    forgetWindow(hwnd);
    loading.reset();
  }
  WebViewEventDispatcher::postCloseEvent(webView_ ? webView_->currentUrl() : "", pageOptions_.closeEventData);
  return VemoWebViewWindow::close();
}

bool VemoFloater::callbackJs(const std::string& data, const std::string& extra) {
  if (!webView_) return false;
  webView_->callbackJs(data, extra);
  return true;
}

void VemoFloater::executeScript(const std::string& script, std::function<void(const std::string&)> done) {
  if (webView_) webView_->executeScript(script, std::move(done));
}

bool VemoFloater::loadUrl(const std::string& url) {
  if (!webView_) return false;
  webView_->loadUrl(url);
  return true;
}

void VemoFloater::reload() {
  if (webView_) webView_->reload();
}

void VemoFloater::onParentClick(POINT screenPoint) {
  POINT point = screenPoint;
  ScreenToClient(parentWnd, &point);
  if (!dragging_ && boxContains(box(), point)) postFloaterEvent(kFloaterClicked, false);
}

FloaterBox VemoFloater::box() const { return FloaterBox{x, y, width, height}; }

SIZE VemoFloater::parentClientSize() const {
  RECT client = {};
  GetClientRect(parentWnd, &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

void VemoFloater::postFloaterEvent(int code, bool withBounds) const {
  VemoWebView::postEvent(kFloaterEvent, code, withBounds ? boxJson(box()) : nullptr);
}

}  // namespace VemoSDK
