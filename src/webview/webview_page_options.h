#pragma once
// The options an opener gives a page ("options" JSON text): what the host
// and its window do with it. Each key counts only with its listed JSON type.
#include <cstdint>
#include <set>
#include <string>

struct cJSON;

namespace VemoSDK {

struct NonmodalWindowFrame {
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct WebViewPageOptions {
  bool compactMode = false;
  bool hideCloseButton = false;
  bool statPerformance = false;
  bool draggable = false;
  bool enableLoading = true;
  bool showTitle = false;
  bool customError = true;
  bool nonmodalWindow = false;
  NonmodalWindowFrame nonmodalWindowFrame;
  std::string closeEventData;
  std::string fallbackUrl;
  int32_t minWidth = 0;
  int32_t minHeight = 0;
  bool enableMultiInstance = false;
  std::string webviewId;
  std::string webviewFlags;  // browser arguments that replace the defaults
  std::set<int32_t> httpErrorSet = defaultHttpErrorSet();

  // The defaults for anything not an object.
  static WebViewPageOptions fromJson(const cJSON* object);
  static WebViewPageOptions fromText(const char* text);  // null or broken text: the defaults
  // 400-417, 421-429, 431, 451, 500-508, 510, 511.
  static const std::set<int32_t>& defaultHttpErrorSet();
};

}  // namespace VemoSDK
