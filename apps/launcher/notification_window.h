#pragma once
// The download notification: a small skinned pop-up in the bottom-right
// corner of the work area with one button that starts the game through the
// scripts, and a close box; both clicks are reported to the scripts' jf log.
// A layered, per-pixel-alpha, topmost tool window that never takes the
// focus. UI thread only.
#include <windows.h>

struct lua_State;

constexpr wchar_t kNotificationWindowClass[] = L"UpdaterNotificationWindowClass";
constexpr wchar_t kNotificationWindowTitle[] = L"Download Notification";

// Shows the window with these texts (UTF-8), or gives a shown window the
// new texts for its next drawing. The clicks run their chunks on L.
void create_notification_window(lua_State* L, HINSTANCE instance, const char* message, const char* button,
                                const char* language);
// Closes the window if there is one.
void destroy_notification_window();

// The shown window, or null.
HWND notification_window();
