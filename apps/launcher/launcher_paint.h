#pragma once
// The launcher window's images: loading them from the program folder, the
// background with the version text, and the owner-drawn close button.
#include "launcher_state.h"

// Starts GDI+ once per process; stop_gdiplus shuts it down (every GDI+
// object must be gone by then).
void start_gdiplus_once();
void stop_gdiplus();

// The programs' text font, "Microsoft YaHei" at normal weight, of a height in pixels.
HFONT create_ui_font(int height);

// A bitmap of width x height holding the image scaled to that width, its
// height scaled by the same factor (top-aligned, the rest black); null on
// failure. Any mode but the default also asks for high-quality pixel offsets.
HBITMAP create_scaled_background(HDC window_dc, Gdiplus::Image& image, int width, int height,
                                 Gdiplus::InterpolationMode interpolation);
// Draws, into a width x height child, the part of a background drawn at the
// parent's client width that lies behind that child.
void draw_background_behind(Gdiplus::Graphics& graphics, Gdiplus::Image& background, HWND child, HWND parent,
                            int width, int height);

// "window_background.jpg" and "close_btn.png" of the program folder; each
// missing image is printed and shown in a message box.
void load_window_images(LauncherState& state);
void release_window_images(LauncherState& state);

void paint_main_window(HWND window, LauncherState& state);
void drawCloseButton(const DRAWITEMSTRUCT& item, LauncherState& state);
