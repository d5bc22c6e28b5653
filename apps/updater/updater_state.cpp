#include "updater_state.h"

UpdaterState& updater_state() {
  static UpdaterState state;
  return state;
}
