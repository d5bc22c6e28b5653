#pragma once
// Turns the browser's loading events of the main frame into navigation
// starting and completed events: one completion per started navigation,
// with the main document's HTTP status and a web error status mapped from
// the browser's network error name. A document answered with an HTTP error
// status (400 and above) completes as a failure with that status. Used on
// the UI thread only.
#include <cstdint>
#include <optional>
#include <string>

#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

// "net::ERR_NAME_NOT_RESOLVED" -> kWebErrorHostNameNotResolved, ...
int webErrorFromNetError(const std::string& errorText);

class NavigationTracker {
public:
  // A new document navigation of the main frame. Ends the one before it
  // (aborted) when that was still open; that completion comes first.
  NavigationStartingArgs started(const std::string& loaderId, const std::string& url,
                                 std::optional<NavigationCompletedArgs>& endedBefore);
  void responseReceived(const std::string& loaderId, int httpStatus);
  void committed(const std::string& loaderId);
  // The main document failed to load; the completion, unless it is not the
  // current navigation.
  std::optional<NavigationCompletedArgs> failed(const std::string& loaderId, const std::string& errorText,
                                                bool canceled);
  // The main frame stopped loading; the completion of a committed navigation.
  std::optional<NavigationCompletedArgs> stoppedLoading();

  bool open() const { return open_; }
  const std::string& currentLoaderId() const { return loaderId_; }

private:
  NavigationCompletedArgs completion(bool loadedDocument, int webError);

  std::uint64_t lastId_ = 0;
  std::string loaderId_;
  int httpStatus_ = 0;
  bool committed_ = false;
  bool open_ = false;
};

}  // namespace WebEngine
}  // namespace VemoSDK
