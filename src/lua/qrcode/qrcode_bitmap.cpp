#include "lua/qrcode/qrcode_bitmap.h"

#include <qrcodegen.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/debug_log.h"

namespace VemoSDK {

namespace {

constexpr int kPixelsPerModule = 8;
constexpr size_t kHeaderSize = 54;
constexpr size_t kInfoHeaderSize = 40;

void put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void render(const std::uint8_t* qrcode, std::vector<std::uint8_t>& bmp) {
  const int modules = qrcodegen_getSize(qrcode);
  const int side = kPixelsPerModule * (modules + 2);  // one light module on each side
  const size_t row_bytes = 3 * static_cast<size_t>(side);  // a multiple of 4: no row padding
  const size_t file_size = kHeaderSize + row_bytes * side;
  bmp.assign(file_size, 0xFF);
  std::uint8_t* header = bmp.data();
  std::memset(header, 0, kHeaderSize);
  header[0] = 'B';
  header[1] = 'M';
  put32(header + 2, static_cast<std::uint32_t>(file_size));
  put32(header + 10, kHeaderSize);
  put32(header + 14, kInfoHeaderSize);
  put32(header + 18, static_cast<std::uint32_t>(side));
  put32(header + 22, static_cast<std::uint32_t>(-side));  // negative height: top row first
  put16(header + 26, 1);
  put16(header + 28, 24);
  std::uint8_t* pixels = bmp.data() + kHeaderSize;
  for (int y = 0; y < modules; ++y) {
    for (int x = 0; x < modules; ++x) {
      if (!qrcodegen_getModule(qrcode, x, y)) continue;
      for (int row = 0; row < kPixelsPerModule; ++row) {
        size_t top = static_cast<size_t>(kPixelsPerModule * (y + 1) + row) * row_bytes;
        std::memset(pixels + top + 3 * static_cast<size_t>(kPixelsPerModule * (x + 1)), 0, 3 * kPixelsPerModule);
      }
    }
  }
}

}  // namespace

bool qrcodeBitmap(const char* text, size_t length, std::vector<std::uint8_t>& bmp) {
  try {
    std::vector<std::uint8_t> data(qrcodegen_BUFFER_LEN_MAX), qrcode(qrcodegen_BUFFER_LEN_MAX);
    if (length > data.size()) return false;
    std::copy(text, text + length, data.begin());
    if (!qrcodegen_encodeBinary(data.data(), length, qrcode.data(), qrcodegen_Ecc_LOW, qrcodegen_VERSION_MIN,
                                qrcodegen_VERSION_MAX, qrcodegen_Mask_AUTO, true)) {
      return false;
    }
    render(qrcode.data(), bmp);
    return true;
  } catch (const std::bad_alloc&) {
    vemo_debug_printf("Out of memory");
    bmp.clear();
    return false;
  }
}

}  // namespace VemoSDK
