#pragma once
// The one place that turns a standard-library exception into a text, for the
// guards at the SDK's boundaries (Lua's and the C interface's). Anything else
// passes: Lua raises its errors as exceptions of another type.
#include <cstddef>
#include <cstdio>
#include <exception>
#include <new>

namespace vemo {

struct ExceptionText {
  char text[256] = {};
};

// Runs body(); false when a standard-library exception left it, its text
// then in failure.
template <class Body>
bool run_noting_exception(Body&& body, ExceptionText& failure) {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    std::snprintf(failure.text, sizeof failure.text, "not enough memory");
  } catch (const std::exception& error) {
    std::snprintf(failure.text, sizeof failure.text, "%s", error.what());
  }
  return false;
}

}  // namespace vemo
