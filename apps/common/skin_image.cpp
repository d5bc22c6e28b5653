#include "skin_image.h"

#include "core/file_utils.h"
#include "core/text_convert.h"

#include <shlwapi.h>

std::unique_ptr<SkinImage> SkinImage::load(const std::wstring& path) {
  std::string bytes;
  if (!vemo_read_file(wstring_to_utf8(path), bytes) || bytes.empty()) return nullptr;
  auto image = std::unique_ptr<SkinImage>(new SkinImage());
  // The stream holds its own copy of the bytes; the file is closed already.
  image->stream_.reset(
      SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  if (!image->stream_) return nullptr;
  image->image_.reset(Gdiplus::Image::FromStream(image->stream_.get()));
  if (!image->image_ || image->image_->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return image;
}

SIZE SkinImage::size() const {
  return SIZE{static_cast<LONG>(image_->GetWidth()), static_cast<LONG>(image_->GetHeight())};
}
