#pragma once
// The pictures of the updater's window. UI thread only.
#include "skin_image.h"

#include <memory>
#include <string>

struct SkinImages {
  std::unique_ptr<SkinImage> background;  // "window_background.jpg"
  std::unique_ptr<SkinImage> close;       // "close_btn.png"
  std::unique_ptr<SkinImage> minimise;    // "min_btn.png"
  std::unique_ptr<SkinImage> close_hover;
  std::unique_ptr<SkinImage> minimise_hover;
  std::unique_ptr<SkinImage> button;  // the action button
  std::unique_ptr<SkinImage> button_hover;

  // The seven pictures of program_dir; the three that the window needs are
  // reported (printed and in a message box) when missing.
  void load(const std::wstring& program_dir);
  void release();
};
