#include "tray_icon.h"

#include <shellapi.h>

#include <cstdint>
#include <cstring>

#include "core/debug_log.h"

namespace {

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

uint64_t rotate_left(uint64_t value, int bits) { return (value << bits) | (value >> (64 - bits)); }

}  // namespace

GUID make_tray_guid(const std::string& text) {
  uint64_t first = kFnvOffset;
  uint64_t second = kFnvOffset;
  for (unsigned char byte : text) {
    first = (first ^ byte) * kFnvPrime;
    second = rotate_left((second ^ (static_cast<uint64_t>(byte) + 158)) * kFnvPrime, 13);
  }
  unsigned char bytes[16];
  for (int i = 0; i < 8; ++i) {
    bytes[i] = static_cast<unsigned char>(first >> (8 * i));
    bytes[8 + i] = static_cast<unsigned char>(second >> (8 * i));
  }
  GUID guid;
  static_assert(sizeof(guid) == sizeof(bytes), "a GUID is 16 bytes");
  std::memcpy(&guid, bytes, sizeof(guid));
  return guid;
}

void TrayIcon::set_menu_texts(const std::wstring& show, const std::wstring& exit) {
  if (!show.empty()) show_text_ = show;
  if (!exit.empty()) exit_text_ = exit;
}

bool TrayIcon::create(HWND window) {
  if (!window) return false;
  if (added_) return true;

  // A crashed launcher may have left its icon behind, under either identity.
  NOTIFYICONDATAW clean = guid_identity(window);
  BOOL ret = Shell_NotifyIconW(NIM_DELETE, &clean);
  vemo_debug_printf("CreateTrayIcon: pre-clean NIM_DELETE(GUID) ret=%d, GLE=%lu\n", ret, GetLastError());
  clean = {};
  clean.cbSize = sizeof(clean);
  clean.hWnd = window;
  clean.uID = kTrayIconId;
  ret = Shell_NotifyIconW(NIM_DELETE, &clean);
  vemo_debug_printf("CreateTrayIcon: pre-clean NIM_DELETE(uID) ret=%d, GLE=%lu\n", ret, GetLastError());

  release_icon();
  record_ = {};
  record_.cbSize = sizeof(record_);
  record_.hWnd = window;
  record_.uID = kTrayIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_GUID | NIF_SHOWTIP;
  record_.uCallbackMessage = kTrayCallbackMessage;
  record_.guidItem = guid_;
  record_.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kLauncherIconResource),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
  if (record_.hIcon) {
    icon_owned_ = true;
  } else {
    vemo_debug_printf("CreateTrayIcon: LoadImageW failed, err=%lu", GetLastError());
    record_.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  }
  // The tip record holds 128 characters with its terminator.
  const size_t tip_capacity = sizeof(record_.szTip) / sizeof(record_.szTip[0]);
  int title_length = GetWindowTextW(window, record_.szTip, static_cast<int>(tip_capacity));
  if (title_length <= 0) lstrcpynW(record_.szTip, L"Vemo Launcher", static_cast<int>(tip_capacity));
  record_.szTip[tip_capacity - 1] = L'\0';

  ret = Shell_NotifyIconW(NIM_ADD, &record_);
  vemo_debug_printf("CreateTrayIcon: NIM_ADD(GUID) ret=%d, GLE=%lu, hIcon=%p, hWnd=%p\n", ret, GetLastError(),
                    static_cast<void*>(record_.hIcon), static_cast<void*>(window));
  if (ret) {
    uses_guid_ = true;
  } else {
    vemo_debug_printf("CreateTrayIcon: NIM_ADD(GUID) failed, fallback to uID-only\n");
    record_.uFlags &= ~NIF_GUID;
    record_.guidItem = GUID{};
    ret = Shell_NotifyIconW(NIM_ADD, &record_);
    vemo_debug_printf("CreateTrayIcon: NIM_ADD(uID fallback) ret=%d, GLE=%lu\n", ret, GetLastError());
    if (!ret) {
      vemo_debug_printf("CreateTrayIcon: both GUID and uID NIM_ADD failed, hwnd=%p, hIcon=%p\n",
                        static_cast<void*>(window), static_cast<void*>(record_.hIcon));
      return false;
    }
    uses_guid_ = false;
  }
  added_ = true;
  record_.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &record_);
  return true;
}

void TrayIcon::remove() {
  if (added_) {
    BOOL ret;
    if (uses_guid_) {
      NOTIFYICONDATAW target = guid_identity(record_.hWnd);
      ret = Shell_NotifyIconW(NIM_DELETE, &target);
      vemo_debug_printf("RemoveTrayIcon: NIM_DELETE(GUID) ret=%d, GLE=%lu\n", ret, GetLastError());
    } else {
      NOTIFYICONDATAW target = {};
      target.cbSize = sizeof(target);
      target.hWnd = record_.hWnd;
      target.uID = kTrayIconId;
      ret = Shell_NotifyIconW(NIM_DELETE, &target);
      vemo_debug_printf("RemoveTrayIcon: NIM_DELETE(uID) ret=%d, GLE=%lu\n", ret, GetLastError());
    }
    // Lets the shell finish with the icon before the program goes on (often to exit).
    Sleep(150);
    added_ = false;
    uses_guid_ = false;
  }
  release_icon();
}

void TrayIcon::release_icon() {
  if (icon_owned_ && record_.hIcon) DestroyIcon(record_.hIcon);
  icon_owned_ = false;
  record_.hIcon = nullptr;
}

void TrayIcon::show_menu(HWND window) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, kTrayMenuShow, show_text_.c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kTrayMenuExit, exit_text_.c_str());
  SetForegroundWindow(window);
  POINT cursor;
  GetCursorPos(&cursor);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
  DestroyMenu(menu);
}

void TrayIcon::on_taskbar_created(HWND window) {
  added_ = false;
  create(window);
}

// The icon named by its GUID. The window and id go along: shells that know
// no GUIDs identify icons by them, and those that do ignore them.
NOTIFYICONDATAW TrayIcon::guid_identity(HWND window) const {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = NIF_GUID;
  data.guidItem = guid_;
  return data;
}

TrayIcon& launcher_tray() {
  static TrayIcon tray;
  return tray;
}

bool CreateTrayIcon(HWND window) { return launcher_tray().create(window); }
void RemoveTrayIcon() { launcher_tray().remove(); }
void showTrayMenu(HWND window) { launcher_tray().show_menu(window); }
