#pragma once
// Window work asked for on the Lua thread: run on the UI thread through the
// host's main-thread handler when one is registered, else in place.
#include <functional>

namespace VemoSDK {

void runWindowWork(std::function<void()> work);

}  // namespace VemoSDK
