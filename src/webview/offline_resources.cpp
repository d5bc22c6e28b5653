#include "webview/offline_resources.h"

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/string_utils.h"
#include "core/text_convert.h"
#include "webview/mime_type_table.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace VemoSDK {
namespace {

bool isAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::wstring withTrailingBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool startsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

OfflineResponse textResponse(int status, const char* reason, const char* body) {
  return OfflineResponse{status, reason, "text/plain; charset=utf-8", body};
}

}  // namespace

bool ConvertToLocalPath(const std::wstring& path, std::wstring& out) {
  out.clear();
  if (path.empty()) {
    vemo_debug_print("wv_offline#ConvertToLocalPath >> input path is empty\xEF\xBC\x81");
    return false;
  }
  // Escapes name bytes of the UTF-8 path, not UTF-16 units: "%E4%B8%AD" is one character.
  std::string utf8 = wstring_to_utf8(path);
  std::string bytes;
  bytes.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    int high = -1, low = -1;
    if (utf8[i] == '%' && i + 2 < utf8.size() && (high = hex_digit_value(utf8[i + 1])) >= 0 &&
        (low = hex_digit_value(utf8[i + 2])) >= 0) {
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      bytes += utf8[i];
    }
  }
  // A NUL would cut the path short at the Windows call; broken UTF-8 would
  // name some other file after conversion.
  if (bytes.find('\0') != std::string::npos) return false;
  out = utf8_to_wstring(bytes);
  if (wstring_to_utf8(out) != bytes) {
    out.clear();
    return false;
  }
  if (out.empty()) return false;
  std::replace(out.begin(), out.end(), L'/', L'\\');
  if (out.size() <= 3) {
    vemo_debug_printf("wv_offline#ConvertToLocalPath >> converted path is illegal , length  is :%d",
                      static_cast<int>(out.size()));
    out.clear();
    return false;
  }
  if (!isAsciiLetter(out[0]) || out[1] != L':' || out[2] != L'\\') {
    out.clear();
    return false;
  }
  return true;
}

OfflineResourceServer::OfflineResourceServer(std::vector<std::wstring> allowedFolders) {
  for (std::wstring& folder : allowedFolders) {
    std::wstring full = get_full_path_w(folder);
    if (!full.empty()) allowedFolders_.push_back(withTrailingBackslash(full));
  }
}

bool OfflineResourceServer::isOfflineUrl(const std::string& uri) { return string_starts_with(uri, kOfflineRedirectPrefix); }

bool OfflineResourceServer::isAllowed(const std::wstring& localPath) const {
  // The absolute form has every "." and ".." resolved, so the prefix test
  // sees the folder the file really is in.
  std::wstring full = get_full_path_w(localPath);
  if (full.empty() || full.size() < 3 || !isAsciiLetter(full[0]) || full[1] != L':') return false;
  for (const std::wstring& folder : allowedFolders_) {
    if (full.size() > folder.size() && startsWithNoCase(full, folder)) return true;
  }
  return false;
}

OfflineResponse OfflineResourceServer::answer(const std::string& uri) const {
  std::string rest = uri.substr(std::min(uri.size(), std::string(kOfflineRedirectPrefix).size()));
  rest = rest.substr(0, rest.find('#'));
  rest = rest.substr(0, rest.find('?'));
  std::wstring localPath;
  if (!ConvertToLocalPath(utf8_to_wstring(rest), localPath) || !isAllowed(localPath)) {
    vemo_debug_printf("wv_offline: failed to decode local path from url=%s", uri.c_str());
    return textResponse(403, "Forbidden", "forbidden");
  }
  std::string localUtf8 = wstring_to_utf8(localPath);
  vemo_debug_printf("wv_offline: serving url=%s -> local path =%s", uri.c_str(), localUtf8.c_str());
  OfflineResponse response;
  if (!vemo_read_file(localUtf8, response.body) || response.body.empty()) {
    vemo_debug_printf("wv_offline: file read failed, local path >> %s", localUtf8.c_str());
    return textResponse(404, "Not Found", "not found");
  }
  response.status = 200;
  response.reason = "OK";
  response.contentType = mimeTypeForPath(localPath);
  vemo_debug_printf("wv_offline: response mime=%s, size=%lu", response.contentType.c_str(),
                    static_cast<unsigned long>(response.body.size()));
  return response;
}

std::vector<std::wstring> sdkServedFolders() {
  std::vector<std::wstring> folders{get_program_dir_w()};
  if (VemoSDKContextPtr context = vemosdk_get_context()) {
    folders.push_back(utf8_to_wstring(context->program_dir));
    folders.push_back(utf8_to_wstring(context->program_data_dir));
    folders.push_back(utf8_to_wstring(context->program_private_dir));
  }
  folders.push_back(utf8_to_wstring(vemosdk_get_resources_path()));
  return folders;
}

}  // namespace VemoSDK
