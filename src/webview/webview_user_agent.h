#pragma once
// What the SDK's web views add to a browser's user agent, so that pages and
// their servers know the SDK, the game's package and its version.
#include <string>

namespace VemoSDK {

// "OrbApp(KVSDK/<SDK version>) <package name>Client/<app version>" from the
// live context (both empty without one).
std::string sdkUserAgentSuffix();

}  // namespace VemoSDK
