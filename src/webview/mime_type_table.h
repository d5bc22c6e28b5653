#pragma once
// Content-Type of a local file served to a page, chosen by its extension.
#include <string>

namespace VemoSDK {

// By the text after the last "." of the path, without case; any other
// extension, or none, is "application/octet-stream".
const char* mimeTypeForPath(const std::wstring& path);

}  // namespace VemoSDK
