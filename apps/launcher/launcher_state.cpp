#include "launcher_state.h"

LauncherState& launcher_state() {
  static LauncherState state;
  return state;
}
