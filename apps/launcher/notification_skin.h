#pragma once
// The colours of the download notification window, from "vemosdk_skin.json".
#include <windows.h>
#include <cjson/cJSON.h>

#include <string>

struct NotificationSkin {
  COLORREF background = RGB(35, 65, 79);  // when there is no background picture
  COLORREF button_text = RGB(255, 255, 255);
  COLORREF button_text_hover = RGB(255, 255, 255);
  COLORREF message_text = RGB(255, 255, 255);
  bool message_text_set = false;  // else the message takes the button text colour
  COLORREF button_background = RGB(30, 50, 59);
  COLORREF button_border = RGB(72, 106, 121);

  COLORREF message_colour() const { return message_text_set ? message_text : button_text; }
};

// The skin's keys applied over the colours there are; keys that are missing,
// empty or not strings change nothing.
void apply_notification_skin(const cJSON* root, NotificationSkin& skin);

// "vemosdk_skin.json" of the program folder applied; a missing file changes nothing.
void load_notification_skin(const std::wstring& program_dir, NotificationSkin& skin);
