#pragma once
// What a host tells the window that owns it. UI thread only.
#include <cjson/cJSON.h>

#include <string>

namespace VemoSDK {

class VemoWebViewListener {
public:
  virtual ~VemoWebViewListener() = default;
  virtual void onWebViewCreated(bool ok) = 0;
  virtual void onNavigationStarting() = 0;
  virtual void onNavigationCompleted(bool ok) = 0;
  // A page call the host does not answer itself; a reply the host sends as
  // {"retval": reply} (taken over), or null.
  virtual cJSON* onWebMessage(const std::string& id, const std::string& name, const cJSON* args) = 0;
};

}  // namespace VemoSDK
