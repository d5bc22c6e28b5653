#pragma once
// The launcher's notification-area icon and its menu. UI thread only.
#include <windows.h>
#include <shellapi.h>

#include <string>

// Window message the icon sends to the main window, and the menu's commands.
constexpr UINT kTrayCallbackMessage = WM_APP + 1;
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayMenuShow = 2001;
constexpr UINT kTrayMenuExit = 2002;
constexpr int kLauncherIconResource = 101;

// A stable identity for the icon, derived from the launcher name, so that a
// restarted launcher replaces the icon a crashed one left behind.
GUID make_tray_guid(const std::string& text);

class TrayIcon {
public:
  void set_guid(const GUID& guid) { guid_ = guid; }
  // Each non-empty text replaces the menu's show or exit entry.
  void set_menu_texts(const std::wstring& show, const std::wstring& exit);

  bool create(HWND window);
  void remove();
  void show_menu(HWND window);
  // Explorer restarted: the shell forgot the icon.
  void on_taskbar_created(HWND window);

  bool added() const { return added_; }
  bool uses_guid() const { return uses_guid_; }
  const wchar_t* tip() const { return record_.szTip; }

private:
  void release_icon();
  NOTIFYICONDATAW guid_identity(HWND window) const;

  GUID guid_ = {};
  bool added_ = false;
  bool uses_guid_ = false;
  bool icon_owned_ = false;
  NOTIFYICONDATAW record_ = {};
  std::wstring show_text_ = L"\x6253\x5f00\x4e3b\x7a97\x53e3";  // 打开主窗口
  std::wstring exit_text_ = L"\x9000\x51fa\x7a0b\x5e8f";        // 退出程序
};

// The launcher's one tray icon.
TrayIcon& launcher_tray();
bool CreateTrayIcon(HWND window);
void RemoveTrayIcon();
void showTrayMenu(HWND window);
