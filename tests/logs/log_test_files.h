#pragma once
// Folders of log files as the log tests see them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/logs/file_log_storage.h"
#include "core/owners.h"

namespace vemo::test {

// A listener for a command kind the test does not otherwise use, which holds
// the writer thread until it is released.
class WriterGate {
public:
  // Returns once the writer thread is held.
  void hold(vemo::logs::FileLogStorage& storage, int kind) {
    storage.register_listener(kind, [this](vemo::logs::LogCommand&) {
      SetEvent(held_.get());
      WaitForSingleObject(open_.get(), INFINITE);
    });
    storage.push_command(vemo::logs::LogCommand{kind, nullptr, nullptr});
    WaitForSingleObject(held_.get(), 10000);
  }
  void release() { SetEvent(open_.get()); }

private:
  UniqueHandle held_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueHandle open_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Names of the files (not folders) of a folder, sorted.
std::vector<std::string> file_names(const std::string& folder);
// Makes empty files named by each time.
void make_log_files(const std::string& folder, const std::vector<std::int64_t>& times);
// The lines of a text, without their "\n".
std::vector<std::string> lines_of(const std::string& text);

}  // namespace vemo::test
