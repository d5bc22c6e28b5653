#include "webview/overlay/window_image.h"

#include "core/base64.h"

#include <cstdint>
#include <cstring>

namespace VemoSDK {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t readU32(const std::vector<unsigned char>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}
uint16_t readU16(const std::vector<unsigned char>& bytes, size_t at) {
  return uint16_t(bytes[at] | bytes[at + 1] << 8);
}

struct BmpLayout {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 0;
  uint32_t bitsOffset = 0;
  uint64_t bitsSize = 0;
  uint32_t infoSize = 0;  // header and colour table, as BITMAPINFO needs them
};

bool readBmpLayout(const std::vector<unsigned char>& bytes, BmpLayout& layout) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return false;
  uint32_t headerSize = readU32(bytes, kFileHeaderSize);
  if (headerSize < kInfoHeaderSize || headerSize > bytes.size() - kFileHeaderSize) return false;
  layout.bitsOffset = readU32(bytes, 10);
  layout.width = static_cast<int32_t>(readU32(bytes, 18));
  layout.height = static_cast<int32_t>(readU32(bytes, 22));
  layout.bitCount = readU16(bytes, 28);
  uint32_t compression = readU32(bytes, 30);
  uint32_t coloursUsed = readU32(bytes, 46);
  if (compression != BI_RGB || layout.width <= 0 || layout.height == 0 || layout.height == INT32_MIN) return false;
  switch (layout.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  uint64_t colours = layout.bitCount <= 8 ? (coloursUsed ? coloursUsed : 1u << layout.bitCount) : coloursUsed;
  if (colours > 256) return false;
  uint64_t info = uint64_t(headerSize) + colours * 4;
  if (kFileHeaderSize + info > layout.bitsOffset) return false;
  layout.infoSize = static_cast<uint32_t>(info);
  uint64_t stride = (uint64_t(layout.width) * layout.bitCount + 31) / 32 * 4;
  uint64_t rows = layout.height < 0 ? uint64_t(-int64_t(layout.height)) : uint64_t(layout.height);
  layout.bitsSize = stride * rows;
  return layout.bitsOffset <= bytes.size() && layout.bitsSize <= bytes.size() - layout.bitsOffset;
}

}  // namespace

bool isCompleteBmp(const std::vector<unsigned char>& bytes) {
  BmpLayout layout;
  return readBmpLayout(bytes, layout);
}

WindowImage::~WindowImage() { clear(); }

void WindowImage::clear() {
  bitmap_.reset();
  image_.reset();
  gdiplus_.reset();
  width_ = height_ = 0;
}

bool WindowImage::load(int kind, const std::string& base64Text) {
  clear();
  std::vector<unsigned char> bytes = base64_decode_string(base64Text);
  if (bytes.empty()) return false;
  if (kind == kBitmap) return loadBitmap(bytes);
  if (kind == kGdiplusImage) return loadGdiplusImage(bytes);
  return false;
}

bool WindowImage::loadBitmap(const std::vector<unsigned char>& bytes) {
  BmpLayout layout;
  if (!readBmpLayout(bytes, layout)) return false;
  // An aligned copy of the header and colour table.
  std::vector<uint32_t> info((layout.infoSize + 3) / 4);
  std::memcpy(info.data(), bytes.data() + kFileHeaderSize, layout.infoSize);
  auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(info.data());
  bitmapInfo->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);  // the fields this holder reads
  void* bits = nullptr;
  vemo::UniqueGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  std::memcpy(bits, bytes.data() + layout.bitsOffset, static_cast<size_t>(layout.bitsSize));
  bitmap_ = std::move(bitmap);
  width_ = layout.width;
  height_ = layout.height < 0 ? -layout.height : layout.height;
  return true;
}

bool WindowImage::loadGdiplusImage(const std::vector<unsigned char>& bytes) {
  auto gdiplus = std::make_unique<GdiplusSession>();
  if (!gdiplus->started()) return false;
  std::unique_ptr<Gdiplus::Image> image(decodeGdiplusImage(bytes.data(), bytes.size()));
  if (!image) return false;
  width_ = static_cast<int>(image->GetWidth());
  height_ = static_cast<int>(image->GetHeight());
  gdiplus_ = std::move(gdiplus);
  image_ = std::move(image);
  return true;
}

bool WindowImage::paint(HWND window) const {
  if (empty()) return false;
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return false;
  bool painted = false;
  if (image_) {
    Gdiplus::Graphics graphics(dc);
    painted = graphics.DrawImage(image_.get(), 0, 0, width_, height_) == Gdiplus::Ok;
  } else if (HDC memory = CreateCompatibleDC(dc)) {
    HGDIOBJ old = SelectObject(memory, bitmap_.get());
    painted = BitBlt(dc, 0, 0, width_, height_, memory, 0, 0, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(window, &paint);
  return painted;
}

}  // namespace VemoSDK
