#pragma once
// The bottom panel of the updater's window with the progress area (title,
// bar, texts, the action button that calls the scripts) and the version
// label. UI thread only.
#include <windows.h>

// Registers the two classes and creates the windows, once per process; a
// failure is logged and leaves the updater without a progress area.
void createProgressWindow();

// The scripts' download_progress: applies the option text and repaints.
void update_download_progress(const char* json_text);

// WM_CTLCOLORSTATIC of the version label: white on the background behind it.
LRESULT version_label_colours(HDC dc);

// Subclasses one of the owner-drawn buttons so that it tracks the mouse
// for its hover picture.
void subclass_hover_button(HWND button);
