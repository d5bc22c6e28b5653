#pragma once
// The browser profile folder of one web view host: "default" when no other
// process of the system holds it, else one named after the process id. The
// folder is held through an exclusive lock on its "_lock.vmeb" for the life
// of this object, and marked with the runtime version it was made for.
// UI thread only.
#include "core/owners.h"

#include <windows.h>

#include <string>

namespace VemoSDK {

class WebViewUserDataFolder {
public:
  // Under the roaming application data folder + "\WebView2\<game_id>\".
  explicit WebViewUserDataFolder(std::wstring runtimeFolder);
  // Under base (ending with "\"), as process processId.
  WebViewUserDataFolder(std::wstring runtimeFolder, std::wstring base, DWORD processId);

  // The chosen folder (ending with "\"), chosen at the first call.
  const std::wstring& folder();
  // Whether the lock of the chosen folder is held.
  bool holdsLock() const { return static_cast<bool>(lock_); }
  // Lets the folder go (the destructor does the same).
  void release() { lock_.reset(); }

  // The name without extension of the first "*.manifest" in the runtime
  // folder; empty when there is none.
  std::wstring runtimeVersion();
  // The roaming application data folder (or the program folder) + "\WebView2\<game_id>\".
  static std::wstring defaultBase();

private:
  bool acquire(const std::wstring& candidate, bool fresh);
  bool markerMatches(const std::wstring& candidate);
  void removeStaleSiblings();

  std::wstring runtimeFolder_;
  std::wstring base_;
  DWORD processId_;
  std::wstring runtimeVersion_;
  bool runtimeVersionRead_ = false;
  std::wstring folder_;
  vemo::UniqueHandle lock_;
};

}  // namespace VemoSDK
