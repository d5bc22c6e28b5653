#pragma once
// What the progress window shows, as the scripts set it through
// _updater.download_progress. UI thread only.
#include <string>

constexpr int kProgressStateError = 2;  // the error look: red fill and left text

struct ProgressState {
  std::wstring title;
  std::wstring left_text;
  std::wstring right_text;
  std::wstring button_text;
  bool button_visible = false;
  float percent = 0.0f;  // 0..100
  int state = 0;
  bool close_hover = false;
  bool minimise_hover = false;
  bool action_hover = false;
};

struct ProgressUpdate {
  bool parsed = false;               // false: not JSON, nothing changed
  bool button_text_changed = false;  // the action button needs a repaint
};

// Applies one download_progress option text: "titleText", "leftText",
// "rightText" (strings replace, absent keys keep), "percent" (clamped to
// 0..100), "state", and "buttonText" (a string shows the button with that
// text; anything else hides it and clears the text).
ProgressUpdate apply_progress_options(ProgressState& state, const char* json_text);

// The drawn shape of the progress bar inside its rectangle: the outline is
// inset by half the border width, its corner radius shrinks to fit, and the
// fill covers percent of the outline's width from the left.
struct BarShape {
  float x = 0, y = 0, width = 0, height = 0;
  float radius = 0;  // 0: a plain rectangle
  float fill_width = 0;
};
BarShape compute_bar_shape(int left, int top, int right, int bottom, float percent);
