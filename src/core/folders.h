#pragma once
// Making folders and asking whether a path is one, on UTF-8 paths (wide
// where the name ends in _w). Every Windows call takes the long-path form.
// Removing a folder tree is core/dir_tree.h.
#include <windows.h>

// Creates a folder and its missing parents; true when it exists as a folder
// (or a folder link) afterwards. On failure the debug log names the folder
// that could not be made and GetLastError says why.
bool vemo_create_dir_tree_w(const wchar_t* folder);
// Creates the folder and every missing parent.
bool make_dirs(const char* path);
// Creates the folder that holds path (the text before its last '/' or '');
// true when it exists afterwards. A path without a separator has no parent
// folder to make and gives true.
bool vemo_make_parent_dirs(const char* path);
bool vemo_make_parent_dirs_w(const wchar_t* path);

bool vemo_is_directory(const char* path);
bool vemo_is_directory_w(const wchar_t* path);
