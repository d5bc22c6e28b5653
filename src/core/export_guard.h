#pragma once
// The one guard of the SDK's C interface: no C++ exception crosses into the
// host. A standard-library exception leaving an export's body is logged with
// the export's name and the export answers its failure value instead.
//
// Lua raises its errors as exceptions of another type, and only when a
// protected call waits for them (without one Lua panics before anything is
// thrown). Those pass untouched, so a Lua error raised inside an export that
// a script called reaches the script's pcall. An export that runs Lua on the
// host's behalf uses guard_lua_export, which ends Lua's errors at its own
// boundary too.
#include "core/exception_text.h"

struct lua_State;

namespace vemo {

// Logs "<export> failed: <what>" on the debug log; never throws.
void log_export_failure(const char* export_name, const char* what) noexcept;

template <class Result, class Body>
Result guard_export(const char* export_name, Result failure, Body&& body) {
  Result result = failure;
  ExceptionText error;
  if (run_noting_exception([&] { result = body(); }, error)) return result;
  log_export_failure(export_name, error.text);
  return failure;
}

template <class Body>
void guard_export(const char* export_name, Body&& body) {
  ExceptionText error;
  if (!run_noting_exception(body, error)) log_export_failure(export_name, error.text);
}

// Runs body(L) in a protected call on L behind the guard; body returns how
// many values it left on the stack. A Lua error that nothing in Lua caught,
// or a C++ exception, is logged; the stack is then as it was and failure is
// returned.
int run_lua_export(const char* export_name, lua_State* L, int failure, int (*call)(void* body, lua_State* L),
                   void* body);

template <class Body>
int guard_lua_export(const char* export_name, lua_State* L, int failure, Body body) {
  return run_lua_export(
      export_name, L, failure, [](void* erased, lua_State* state) { return (*static_cast<Body*>(erased))(state); },
      &body);
}

}  // namespace vemo
