#pragma once
// Colours of the skin file "vemosdk_skin.json", written as hex text.
#include <windows.h>

// "RRGGBB", "#RRGGBB" or "0xRRGGBB" (either case) as a COLORREF; anything
// else (a colour name, a short form, stray characters, null) is black.
COLORREF parse_hex_color(const char* text);
