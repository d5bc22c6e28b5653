#pragma once
// Removing folder trees.
#include <windows.h>

#include <string>

// Deletes the files of a folder and, with recursive set, its sub-folders,
// then the folder itself when nothing was kept. Junctions and symbolic links
// are removed as links: their targets are never entered; a file link that
// cannot be removed apart from its target (under Wine) stops the removal with
// ERROR_REPARSE_POINT_ENCOUNTERED. 0 or the first Win32 error; a folder that
// cannot be listed counts as already gone (0).
DWORD remove_directory_tree(const std::wstring& folder, bool recursive);
