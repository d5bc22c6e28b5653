#pragma once
// Loading plug-in DLLs from the vendors folder: "vendors\<folder>\<file>.dll"
// (or "vendors\<file>.dll" without a folder) under the folder set by
// vemosdk_set_vendors_path, or under the program folder when none was set.
// Never under the current directory: a program started from elsewhere (a
// shortcut, a toast activation) loads its own plug-ins. Any thread.
#include <windows.h>

#include <string>

// "vendors\<folder>\<file>.dll", or "vendors\<file>.dll" for an empty or null
// folder; empty for an empty or null file.
std::string vendorDllRelPath(const char* folder, const char* file);

// The full path of that DLL (UTF-16, in the "\\?\" form when it is long);
// empty when the file is empty or the path does not fit kMaxLongPath: a path
// that does not fit is never cut down to another file's name.
std::wstring getVendorDllPath(const char* folder, const char* file);

// LoadLibraryExW with LOAD_WITH_ALTERED_SEARCH_PATH, so that the plug-in's own
// dependencies are found beside it; null (logged) when the path cannot be
// made or the DLL does not load. The module is the caller's to free.
HMODULE loadDllInVendors(const char* folder, const char* file);
