#include "webview/engine/devtools_controller.h"

#include "core/owners.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

using vemo::JsonPtr;

int widthOf(const RECT& r) { return r.right > r.left ? r.right - r.left : 0; }
int heightOf(const RECT& r) { return r.bottom > r.top ? r.bottom - r.top : 0; }

}  // namespace

DevToolsController::DevToolsController(std::shared_ptr<DevToolsPage> page, std::unique_ptr<PageWindow> window,
                                       RECT bounds)
    : page_(std::move(page)), window_(std::move(window)), bounds_(bounds) {}

DevToolsController::~DevToolsController() { close(); }

void DevToolsController::start() {
  std::weak_ptr<DevToolsController> weak = shared_from_this();
  PageWindow* window = window_.get();
  page_->setFrameSink([window](const std::string& bytes) { window->showFrame(bytes); });
  // A new document may start with a fresh compositor: ask for frames again.
  page_->setLoadedSink([weak] {
    if (auto self = weak.lock()) self->restartScreencast();
  });
  window_->setTimerCallback([weak] {
    if (auto self = weak.lock()) self->restartScreencast();
  });
  applyViewport();
  putDefaultBackgroundColor(background_);
  restartScreencast();
}

void DevToolsController::applyViewport() {
  if (!page_ || widthOf(bounds_) == 0 || heightOf(bounds_) == 0) return;
  JsonPtr params(cJSON_CreateObject());
  cJSON_AddNumberToObject(params.get(), "width", widthOf(bounds_));
  cJSON_AddNumberToObject(params.get(), "height", heightOf(bounds_));
  cJSON_AddNumberToObject(params.get(), "deviceScaleFactor", 1);
  cJSON_AddBoolToObject(params.get(), "mobile", false);
  page_->send("Emulation.setDeviceMetricsOverride", std::move(params));
}

void DevToolsController::restartScreencast() {
  if (!page_ || !visible_ || page_->isSuspended() || widthOf(bounds_) == 0 || heightOf(bounds_) == 0) return;
  page_->send("Page.stopScreencast", nullptr);
  JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "format", "png");
  cJSON_AddNumberToObject(params.get(), "maxWidth", widthOf(bounds_));
  cJSON_AddNumberToObject(params.get(), "maxHeight", heightOf(bounds_));
  cJSON_AddNumberToObject(params.get(), "everyNthFrame", 1);
  std::weak_ptr<DevToolsController> weak = shared_from_this();
  page_->send("Page.startScreencast", std::move(params), [weak](const cJSON*, const std::string& error) {
    auto self = weak.lock();
    if (!self || !self->window_) return;
    // A page that has just been created is not ready to be painted yet.
    if (error.empty()) {
      self->screencastRetries_ = 0;
    } else if (self->screencastRetries_++ < 20) {
      self->window_->startTimer(250);
    }
  });
}

void DevToolsController::putBounds(const RECT& bounds) {
  bounds_ = bounds;
  if (!window_) return;
  MoveWindow(window_->handle(), bounds.left, bounds.top, widthOf(bounds), heightOf(bounds), TRUE);
  applyViewport();
  restartScreencast();
}

void DevToolsController::putIsVisible(bool visible) {
  if (!window_ || visible == visible_) {
    visible_ = visible;
    return;
  }
  visible_ = visible;
  ShowWindow(window_->handle(), visible ? SW_SHOWNA : SW_HIDE);
  if (visible)
    restartScreencast();
  else
    page_->send("Page.stopScreencast", nullptr);
}

void DevToolsController::putDefaultBackgroundColor(Color color) {
  background_ = color;
  if (!window_) return;
  window_->setBackground(color);
  JsonPtr params(cJSON_CreateObject());
  cJSON* rgba = cJSON_AddObjectToObject(params.get(), "color");
  cJSON_AddNumberToObject(rgba, "r", color.r);
  cJSON_AddNumberToObject(rgba, "g", color.g);
  cJSON_AddNumberToObject(rgba, "b", color.b);
  cJSON_AddNumberToObject(rgba, "a", color.a / 255.0);
  page_->send("Emulation.setDefaultBackgroundColorOverride", std::move(params));
}

void DevToolsController::close() {
  if (!window_) return;
  page_->closeTarget();
  page_->detach();
  window_.reset();
}

}  // namespace WebEngine
}  // namespace VemoSDK
