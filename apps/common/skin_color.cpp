#include "skin_color.h"

#include "core/string_utils.h"

#include <cstring>

COLORREF parse_hex_color(const char* text) {
  if (!text) return 0;
  if (text[0] == '#')
    text += 1;
  else if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text += 2;
  if (std::strlen(text) != 6) return 0;
  int channel[3];
  for (int i = 0; i < 3; ++i) {
    int high = hex_digit_value(text[2 * i]);
    int low = hex_digit_value(text[2 * i + 1]);
    if (high < 0 || low < 0) return 0;
    channel[i] = high * 16 + low;
  }
  return RGB(channel[0], channel[1], channel[2]);
}

const char* skin_text(const cJSON* root, const char* key) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key);
  if (!cJSON_IsString(item) || !item->valuestring || !item->valuestring[0]) return nullptr;
  return item->valuestring;
}
