#pragma once
// The XML of a toast: the system's template for the kind, filled in and
// extended the way the toast library promises, as text.
#include "3rd/wintoast/wintoastlib.h"

#include <string>

namespace WinToastLib {

struct ToastXmlFeatures {
  bool modern = false;           // actions, sounds, attributes (Windows 8.1 and later)
  bool image_placement = false;  // hero images and crops (build 14393 and later)
};

constexpr size_t kMaxImagePath = 2048;  // characters of an image path ("MAX_LONG_PATH")

// False, and nothing written, for an image path of kMaxImagePath or more.
bool buildToastXml(const ToastTemplate& toast, const ToastXmlFeatures& features, std::wstring& xml);

}  // namespace WinToastLib
