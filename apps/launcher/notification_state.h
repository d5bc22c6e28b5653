#pragma once
// What the download notification window keeps between its messages. UI
// thread only.
#include "core/owners.h"
#include "notification_layout.h"
#include "notification_skin.h"
#include "skin_image.h"

#include <windows.h>

#include <memory>
#include <string>

struct lua_State;

// An icon that is destroyed with the owner unless it is a shared system icon.
class NotificationIcon {
public:
  ~NotificationIcon() { reset(); }
  HICON get() const { return icon_; }
  void reset(HICON icon = nullptr, bool owned = false) {
    if (icon_ && owned_) DestroyIcon(icon_);
    icon_ = icon;
    owned_ = owned;
  }

private:
  HICON icon_ = nullptr;
  bool owned_ = false;
};

struct NotificationPictures {
  std::unique_ptr<SkinImage> close, close_hover, button, button_hover, background;
  std::unique_ptr<Gdiplus::Bitmap> background_bitmap;  // the background drawn once at the window size
};

struct NotificationState {
  HWND window = nullptr;
  lua_State* lua = nullptr;
  HINSTANCE instance = nullptr;
  std::wstring message, button, language;
  bool close_hover = false;
  bool button_hover = false;
  bool tracking_mouse = false;
  bool class_registered = false;
  bool metrics_scaled = false;
  NotificationMetrics metrics;
  NotificationLayout layout = {};
  NotificationSkin skin;
  NotificationPictures pictures;
  NotificationIcon icon;
  vemo::UniqueGdiObject<HFONT> text_font;   // "Microsoft YaHei", normal weight
  vemo::UniqueGdiObject<HFONT> close_font;  // "Arial", bold
};

NotificationState& notification_state();

// Draws the window into a per-pixel-alpha surface and puts it on screen.
void render_notification(NotificationState& state);
// The background picture drawn at the window size, for render_notification.
std::unique_ptr<Gdiplus::Bitmap> prerender_notification_background(Gdiplus::Image& background, int width, int height);
