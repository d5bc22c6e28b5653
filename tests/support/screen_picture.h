#pragma once
// Pictures of the screen as the X server shows it, for the tests that leave
// one behind under the test work folder ("screenshots").
#include <windows.h>

#include <string>

namespace vemo::test {

// Saves the screen over the rectangle as screenshots\<name> (PNG); false
// when it could not be written.
bool save_screen_picture(const RECT& area, const std::string& name);

}  // namespace vemo::test
