#include "webview/webview_user_agent.h"

#include "core/sdk_context.h"
#include "core/sdk_runtime.h"

namespace VemoSDK {

std::string sdkUserAgentSuffix() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return std::string("OrbApp(KVSDK/") + kSdkVersion + ") " + (context ? context->package_name : "") + "Client/" +
         (context ? context->app_version : "");
}

}  // namespace VemoSDK
