#include "3rd/wintoast/wintoastlib.h"

#include "3rd/wintoast/toast_console.h"

namespace WinToastLib {

size_t ToastTemplate::textLinesOf(Kind kind) {
  static const size_t kLines[] = {1, 2, 2, 3, 1, 2, 2, 3};
  return kind >= 0 && kind <= Text04 ? kLines[kind] : 0;
}

ToastTemplate::ToastTemplate(Kind kind) : text_fields_(textLinesOf(kind)), kind_(kind) {}

void ToastTemplate::setTextField(const std::wstring& text, size_t index) {
  if (index >= text_fields_.size()) {
    toastConsole(L"The selected template type supports only " + std::to_wstring(text_fields_.size()) +
                 L" text lines");
    return;
  }
  text_fields_[index] = text;
}

}  // namespace WinToastLib
