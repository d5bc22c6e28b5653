#pragma once
// QR codes of a text as Windows bitmaps (24-bit BMP, top row first): each
// module is 8 x 8 pixels, with a light border of one module.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace VemoSDK {

// Encodes the bytes (their explicit length, NUL bytes included) at error
// correction level low, versions 1-40, and renders the symbol into `bmp`
// (resized to the file's exact size). False when the text is too long, or
// when memory runs out ("Out of memory" is logged).
bool qrcodeBitmap(const char* text, size_t length, std::vector<std::uint8_t>& bmp);

}  // namespace VemoSDK
