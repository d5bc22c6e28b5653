#include "notification_skin.h"

#include "skin_color.h"

#include "core/owners.h"
#include "core/sdkconfig.h"

#include <memory>

void apply_notification_skin(const cJSON* root, NotificationSkin& skin) {
  if (const char* text = skin_text(root, "bottom_background_color")) skin.background = parse_hex_color(text);
  if (const char* text = skin_text(root, "button_text_color")) {
    skin.button_text = parse_hex_color(text);
    skin.button_text_hover = skin.button_text;
  }
  if (const char* text = skin_text(root, "button_text_hover_color")) skin.button_text_hover = parse_hex_color(text);
  if (const char* text = skin_text(root, "notification_text_color")) {
    skin.message_text = parse_hex_color(text);
    skin.message_text_set = true;
  }
  if (const char* text = skin_text(root, "button_background_color")) skin.button_background = parse_hex_color(text);
  if (const char* text = skin_text(root, "button_border_color")) skin.button_border = parse_hex_color(text);
}

void load_notification_skin(const std::wstring& program_dir, NotificationSkin& skin) {
  vemo::JsonPtr root(load_json_file(program_dir + L"vemosdk_skin.json"));
  if (root) apply_notification_skin(root.get(), skin);
}
