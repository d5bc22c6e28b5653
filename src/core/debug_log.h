#pragma once
// The SDK's diagnostic channel for developers. Any thread may log. Lines go to
// the host's callback (or standard output) once the console switch is on, and
// to a file under "c:\VemoSdkLogs\" when that folder exists at start-up.
#include <cstdarg>

#if defined(__GNUC__)
#define VEMO_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define VEMO_PRINTF_FORMAT(format_index, first_arg)
#endif

// Host sink: receives the level (always 2), the raw UTF-8 text and its length.
// It is called with the log's lock held; a line that it logs itself goes to
// standard output instead of back into the callback.
using VemoDebugCallback = void (*)(int level, const char* text, int length);

// Each returns 1 when the line went somewhere, 0 when logging is off.
int vemo_debug_printf(const char* format, ...) VEMO_PRINTF_FORMAT(1, 2);
int vemo_debug_vprintf(const char* format, va_list args) VEMO_PRINTF_FORMAT(1, 0);
// Logs a text as it is (never used as a format).
int vemo_debug_print(const char* text);
int vemo_debug_write(const char* text, int level);

int vemo_debug_enabled();
void vemo_debug_set_console(int on);  // 1 on, anything else off
VemoDebugCallback vemo_debug_set_callback(VemoDebugCallback callback);  // null removes it

// Decides once per process whether lines also go to a file; called at SDK start-up.
void vemo_debug_open_log_file();
