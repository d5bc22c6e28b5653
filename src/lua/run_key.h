#pragma once
// The start-with-Windows values: REG_SZ values under HKEY_CURRENT_USER
// "Software\Microsoft\Windows\CurrentVersion\Run", named by the scripts.
// Names and texts are UTF-8; the registry is written with the wide calls.
#include <string>

constexpr size_t kRunValueCapacity = 2047;  // bytes of a value read back, terminator included

// The text stored for a program path: a path with a blank is put between
// double quotes (unless it is quoted already), so Windows does not cut it there.
std::string run_value_text(const std::string& path);

// True when the value exists as text and its UTF-8 form, with a terminator,
// fits in kRunValueCapacity bytes; the text goes to out when it is given.
bool run_value_read(const std::string& name, std::string* out = nullptr);
// Creates the key when needed and writes run_value_text(path).
bool run_value_save(const std::string& name, const std::string& path);
bool run_value_remove(const std::string& name);
