#include "single_instance.h"

#include "program_state.h"

#include "3rd/wintoast/wintoastlib.h"
#include "core/debug_log.h"
#include "core/owners.h"
#include "core/sdkconfig.h"

#include <cjson/cJSON.h>

#include <cstdio>

std::string read_sdkconfig_string(const std::wstring& program_dir, const char* key) {
  // Read as the SDK context reads it: an enciphered configuration must not
  // leave every game with the same bare mutex name.
  vemo::JsonPtr config(load_json_file(program_dir + L"sdkconfig.json"));
  std::string text;
  const cJSON* value = cJSON_GetObjectItemCaseSensitive(config.get(), key);
  if (cJSON_IsString(value) && value->valuestring) text = value->valuestring;
  return text;
}

std::string read_launcher_name(const std::wstring& program_dir) {
  return read_sdkconfig_string(program_dir, "launcher_name");
}

std::wstring launcher_mutex_name(const std::wstring& launcher_name) {
  return L"vemosdk_launcher_process_mux" + launcher_name;
}

InstanceCheck SingleInstanceMutex::acquire(const std::wstring& launcher_name) {
  mutex_.reset(CreateMutexW(nullptr, FALSE, launcher_mutex_name(launcher_name).c_str()));
  DWORD error = GetLastError();
  if (!mutex_) return InstanceCheck::kFailed;
  return error == ERROR_ALREADY_EXISTS ? InstanceCheck::kSecond : InstanceCheck::kFirst;
}

void SingleInstanceMutex::release() {
  if (!mutex_) return;
  ReleaseMutex(mutex_.get());
  mutex_.reset();
}

namespace {

void flash(HWND window) {
  FLASHWINFO info = {sizeof(info)};
  info.hwnd = window;
  info.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  info.uCount = 5;
  FlashWindowEx(&info);
}

}  // namespace

void activate_first_instance(const std::wstring& title, const std::wstring& command_line) {
  HWND first = FindWindowW(kLauncherWindowClass, title.c_str());
  // A click on a toast starts the program with the command line the toast
  // activator registered; "ToastActivated" is how earlier installs asked.
  if (command_line == WinToastLib::kToastActivatedArgument || command_line == L"ToastActivated") {
    vemo_debug_printf("New process: Found exe launcher by system nority ToastActivated.");
    if (!first) {
      vemo_debug_printf("New process: Found no window of running instance.");
      return;
    }
    vemo_debug_printf("find the first launcher.exe window");
    ShowWindow(first, SW_RESTORE);
    if (!SetForegroundWindow(first)) {
      flash(first);
      vemo_debug_printf("SetForegroundWindow the launcher.exe window failed");
    }
    return;
  }
  if (!first) {
    vemo_debug_printf("second instance: no existing window found");
    return;
  }
  vemo_debug_printf("second instance: activate existing launcher window");
  if (!IsWindowVisible(first)) ShowWindow(first, SW_SHOW);
  if (IsIconic(first)) ShowWindow(first, SW_RESTORE);
  if (!SetForegroundWindow(first)) {
    flash(first);
    vemo_debug_printf("second instance: SetForegroundWindow failed, flashed instead");
  }
}
