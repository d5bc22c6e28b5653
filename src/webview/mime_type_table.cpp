#include "webview/mime_type_table.h"

#include <cwchar>

namespace VemoSDK {
namespace {

struct MimeEntry {
  const wchar_t* extension;
  const char* type;
};

const MimeEntry kMimeTypeTable[] = {
    {L"html", "text/html; charset=utf-8"},
    {L"htm", "text/html; charset=utf-8"},
    {L"js", "application/javascript; charset=utf-8"},
    {L"mjs", "application/javascript; charset=utf-8"},
    {L"css", "text/css; charset=utf-8"},
    {L"json", "application/json; charset=utf-8"},
    {L"map", "application/json; charset=utf-8"},
    {L"xml", "application/xml; charset=utf-8"},
    {L"txt", "text/plain; charset=utf-8"},
    {L"svg", "image/svg+xml"},
    {L"png", "image/png"},
    {L"jpg", "image/jpeg"},
    {L"jpeg", "image/jpeg"},
    {L"gif", "image/gif"},
    {L"webp", "image/webp"},
    {L"ico", "image/x-icon"},
    {L"bmp", "image/bmp"},
    {L"woff", "font/woff"},
    {L"woff2", "font/woff2"},
    {L"ttf", "font/ttf"},
    {L"otf", "font/otf"},
    {L"eot", "application/vnd.ms-fontobject"},
    {L"wasm", "application/wasm"},
    {L"mp3", "audio/mpeg"},
    {L"wav", "audio/wav"},
    {L"mp4", "video/mp4"},
    {L"webm", "video/webm"},
    {L"pdf", "application/pdf"},
};

}  // namespace

const char* mimeTypeForPath(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  if (dot != std::wstring::npos) {
    const wchar_t* extension = path.c_str() + dot + 1;
    for (const MimeEntry& entry : kMimeTypeTable) {
      if (_wcsicmp(extension, entry.extension) == 0) return entry.type;
    }
  }
  return "application/octet-stream";
}

}  // namespace VemoSDK
