#pragma once
// Files put in place in one step: the content goes to a temporary name beside
// the target first and replaces the target only when complete, so a reader,
// or a process killed in the middle, sees the old file or the new one, never
// a partial one. Every Windows call takes the long-path form of its path.
#include <cstddef>
#include <string>

// Writes data to path through a temporary file; creates the missing folders.
// False (GetLastError says why, the target untouched) when any byte, the
// flush or the replacement fails.
bool write_file_replacing(const std::string& path, const void* data, size_t length);

// Copies a file the same way; creates the target's missing folders. With
// override_existing false an existing target fails with ERROR_FILE_EXISTS.
// False with GetLastError on failure.
bool copy_file_replacing(const std::wstring& source, const std::wstring& target, bool override_existing);

// Deletes the temporary files that writes and copies cut short (a process
// killed in the middle) left in a folder. Meant for start-up, before any copy
// runs: a file still being written is kept, one between its write and its
// rename would fail.
void vemo_remove_stale_copies_w(const wchar_t* folder);
