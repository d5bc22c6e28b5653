#pragma once
// Windows texts and version tests.
#include <windows.h>

#include <string>

// The system's message for an error code, without trailing line breaks;
// "Unknown error XXXX" when Windows has none.
std::wstring windows_error_text(DWORD code);
// The same, empty when Windows has no message for the code.
std::wstring windows_message(DWORD code);
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
std::wstring guid_to_string(const GUID& guid);

bool is_windows7();
bool is_windows8_or_81();
