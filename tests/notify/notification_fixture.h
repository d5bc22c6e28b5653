#pragma once
// The _vemosdk module with toasts going to a recording platform instead of
// the Windows Runtime (which Wine lacks), for the notification tests.
#include "../lua/vemosdk_fixture.h"

#include "3rd/wintoast/wintoastlib.h"
#include "recording_toast_platform.h"

#include <memory>
#include <string>

namespace vemo::test {

class NotificationCenter : public VemosdkModule {
protected:
  static RecordingToastPlatform& platform() {
    static const std::shared_ptr<RecordingToastPlatform> recorder = [] {
      auto made = std::make_shared<RecordingToastPlatform>();
      WinToastLib::setToastPlatform(made);
      return made;
    }();
    return *recorder;
  }
  void SetUp() override {
    platform();
    VemosdkModule::SetUp();
  }
  // add_local_notification with a JSON request; its result as a number.
  int64_t add(const std::string& request) {
    return std::stoll(run("return _vemosdk.add_local_notification(" + quoted(request) + ")"));
  }
  // The next task's JSON text, or "nil" when none waits.
  std::string nextTask() {
    std::string values = run("local name, id, json = _vemosdk.tick() return json");
    return values;
  }
};

}  // namespace vemo::test
