#pragma once
// The colours of the updater's progress window, from "vemosdk_skin.json".
#include <windows.h>
#include <cjson/cJSON.h>

#include <string>
#include <vector>

struct UpdaterSkin {
  COLORREF progress_bottom = RGB(21, 21, 21);     // bar track
  COLORREF progress_top = RGB(116, 234, 169);     // bar fill
  COLORREF button_background = RGB(30, 50, 59);  // drawn action button
  COLORREF button_border = RGB(72, 106, 121);
  COLORREF button_text = RGB(255, 255, 255);
  COLORREF button_text_hover = RGB(255, 255, 255);  // the normal text colour unless the skin sets one
};

struct SkinReading {
  UpdaterSkin skin;
  // One line per required key that was missing, not a string or empty,
  // such as "progress_top_color is nil !!!".
  std::vector<std::string> missing;
};

// The skin from a parsed skin file; a null tree counts every required key as missing.
SkinReading read_updater_skin(const cJSON* root);

// "vemosdk_skin.json" of the program folder; prints the missing keys.
UpdaterSkin load_updater_skin(const std::wstring& program_dir);
