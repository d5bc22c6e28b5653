#pragma once
// Decides whether a 100 ms timer message runs the Lua tick: always, except
// during a window move or size loop, where at most one tick per 300 ms runs.
#include <windows.h>

class TickThrottle {
public:
  static constexpr DWORD kMoveInterval = 300;

  // now: GetTickCount(). Records the tick when it returns true.
  bool should_tick(DWORD now, bool in_move) {
    if (in_move && now - last_tick_ < kMoveInterval) return false;  // unsigned: survives wrap-around
    last_tick_ = now;
    return true;
  }

private:
  DWORD last_tick_ = 0;
};
