#pragma once
// Joining a base folder and a sub path into a caller's bounded buffer, as the
// batch workers (backslash) and the download list (slash) build their paths.
#include <cstddef>

// Size of the path buffers of the file operations; a joined path must stay
// below it.
constexpr size_t kVemoPathBufferSize = 2048;

// Copies base (when not empty) and adds the separator unless base already
// ends in '/' or '\'; then appends sub without one leading '/' or '\'.
// Returns the length written and terminates the text, or -1 when the result
// and its terminator do not fit in out_size bytes (out then holds "").
int vemo_path_join_with(char* out, size_t out_size, const char* base, const char* sub, char separator);
int vemo_path_join_win(char* out, size_t out_size, const char* base, const char* sub);
int vemo_path_join(char* out, size_t out_size, const char* base, const char* sub);
