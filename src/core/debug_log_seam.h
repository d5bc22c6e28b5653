#pragma once
// TODO(core): include "core/debug_log.h" instead once the debug log lands on
// main, and delete this file. Until then debug lines are dropped, which is
// what the debug log does while it is switched off.
#define vemo_debug_printf(...) ((void)0)
