#include "updater_skin.h"

#include "skin_color.h"

#include "core/owners.h"
#include "core/sdkconfig.h"

#include <cstdio>
#include <memory>

SkinReading read_updater_skin(const cJSON* root) {
  SkinReading reading;
  UpdaterSkin& skin = reading.skin;
  const struct {
    const char* key;
    COLORREF* colour;
  } required[] = {
      {"progress_bottom_color", &skin.progress_bottom},
      {"progress_top_color", &skin.progress_top},
      {"button_background_color", &skin.button_background},
      {"button_border_color", &skin.button_border},
      {"button_text_color", &skin.button_text},
  };
  for (const auto& entry : required) {
    if (const char* text = skin_text(root, entry.key))
      *entry.colour = parse_hex_color(text);
    else
      reading.missing.push_back(std::string(entry.key) + " is nil !!!");
  }
  const char* hover = skin_text(root, "button_text_hover_color");
  skin.button_text_hover = hover ? parse_hex_color(hover) : skin.button_text;
  return reading;
}

UpdaterSkin load_updater_skin(const std::wstring& program_dir) {
  vemo::JsonPtr root(load_json_file(program_dir + L"vemosdk_skin.json"));
  SkinReading reading = read_updater_skin(root.get());
  for (const std::string& line : reading.missing) std::printf("%s\n", line.c_str());
  return reading.skin;
}
