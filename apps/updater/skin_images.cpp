#include "skin_images.h"

#include <cstdio>

namespace {

// A picture without which the window looks broken: said out loud.
std::unique_ptr<SkinImage> load_required(const std::wstring& program_dir, const wchar_t* name, const char* printed,
                                         const wchar_t* message) {
  std::unique_ptr<SkinImage> image = SkinImage::load(program_dir + name);
  if (!image) {
    std::printf("%s", printed);
    MessageBoxW(nullptr, message, L"Error", MB_OK | MB_ICONERROR);
  }
  return image;
}

}  // namespace

void SkinImages::load(const std::wstring& program_dir) {
  background = load_required(program_dir, L"window_background.jpg", "\n无法加载背景图片!!!!\n",
                             L"can not load window_background.jpg");
  close = load_required(program_dir, L"close_btn.png", "\n无法加载关闭按钮图片!!!!\n", L"can not load close_btn.png");
  minimise =
      load_required(program_dir, L"min_btn.png", "\n无法加载最小化按钮图片!!!!\n", L"can not load min_btn.png");
  close_hover = SkinImage::load(program_dir + L"close_btn_hover.png");
  minimise_hover = SkinImage::load(program_dir + L"min_btn_hover.png");
  button = SkinImage::load(program_dir + L"button.png");
  button_hover = SkinImage::load(program_dir + L"button_hover.png");
}

void SkinImages::release() { *this = SkinImages(); }
