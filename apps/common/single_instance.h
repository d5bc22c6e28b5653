#pragma once
// One launcher per launcher name: a named mutex, and a second start that
// brings the first instance's window forward and ends.
#include "core/owners.h"

#include <string>

// A string of the program folder's sdkconfig.json, read as the SDK context
// reads it (plain or enciphered); empty when the file or the key is missing.
std::string read_sdkconfig_string(const std::wstring& program_dir, const char* key);
// Its "launcher_name".
std::string read_launcher_name(const std::wstring& program_dir);

// "vemosdk_launcher_process_mux" + name: held by a running launcher.
std::wstring launcher_mutex_name(const std::wstring& launcher_name);

enum class InstanceCheck { kFirst, kSecond, kFailed };

// Holds "vemosdk_launcher_process_mux" + name for the process's life.
class SingleInstanceMutex {
public:
  InstanceCheck acquire(const std::wstring& launcher_name);
  void release();

private:
  vemo::UniqueHandle mutex_;
};

// A second instance: bring the first instance's window (found by class and
// title) to the front. command_line is the process command line without
// the program name.
void activate_first_instance(const std::wstring& title, const std::wstring& command_line);
