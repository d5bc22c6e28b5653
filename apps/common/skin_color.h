#pragma once
// Colours of the skin file "vemosdk_skin.json", written as hex text.
#include <windows.h>
#include <cjson/cJSON.h>

// "RRGGBB", "#RRGGBB" or "0xRRGGBB" (either case) as a COLORREF; anything
// else (a colour name, a short form, stray characters, null) is black.
COLORREF parse_hex_color(const char* text);

// The skin key's text when it is a non-empty string, else null.
const char* skin_text(const cJSON* root, const char* key);
