#pragma once
// Painting both programs share: GDI+ start and stop, the text font, the
// background scaled to a window and the part of it behind a child.
#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

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
