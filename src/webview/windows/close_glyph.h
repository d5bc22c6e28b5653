#pragma once
// The picture of a web view window's close button, as the base64 text of a
// BMP file (for WindowImage).
namespace VemoSDK {

const char* closeGlyphBmpBase64();

}  // namespace VemoSDK
