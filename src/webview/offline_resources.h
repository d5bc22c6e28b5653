#pragma once
// Local files served to pages under "file:///VemoOfflineRedirect/<absolute
// Windows path>". Only files inside the folders given at construction are
// served, whatever the URL spells ("..", "%2e%2e", another drive).
#include <string>
#include <vector>

namespace VemoSDK {

constexpr const char* kOfflineRedirectPrefix = "file:///VemoOfflineRedirect/";

struct OfflineResponse {
  int status = 0;
  std::string reason;
  std::string contentType;
  std::string body;
};

// Percent-decodes a path ("%XX" gives that byte; the bytes are read as
// UTF-8), turns "/" into "\" and succeeds only for "<letter>:\..." longer
// than three characters. A "%00", or bytes that are not UTF-8, fail.
bool ConvertToLocalPath(const std::wstring& path, std::wstring& out);

class OfflineResourceServer {
public:
  // Folders whose files may be served (absolute; a trailing "\" optional).
  explicit OfflineResourceServer(std::vector<std::wstring> allowedFolders);

  static bool isOfflineUrl(const std::string& uri);
  // The answer to one request for a URI that begins with kOfflineRedirectPrefix:
  // 200 with the file, 403 for a path that is not a local file inside the
  // allowed folders, 404 for a missing, unreadable or empty file.
  OfflineResponse answer(const std::string& uri) const;

private:
  bool isAllowed(const std::wstring& localPath) const;

  std::vector<std::wstring> allowedFolders_;  // absolute, each ending with "\"
};

// The program folder and the SDK's data folders of the running SDK.
std::vector<std::wstring> sdkServedFolders();

}  // namespace VemoSDK
