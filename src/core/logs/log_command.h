#pragma once
// The commands that travel through the log writer's queue.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/logs/log_json.h"

namespace vemo::logs {

enum LogCommandKind : int {
  kLogWrite = 0,
  kLogFlush = 1,
  kLogRoll = 2,
  kJfWrite = 3,
  kJfFlush = 4,
  kJfRoll = 5,
  kJfSwitch = 6,
  kJfSetUp = 7,      // the jf store starts its writer on the writer thread
  kLogDrain = 8,     // everything queued before it is written out, then `done` runs
  kLogStop = 9,      // ends the writer thread (storages that are destroyed)
};

// One record, owned by its command until the writer has handled it.
struct VemoLogModel {
  std::string text;          // the line; for a JSON record made from the tree on the writer thread
  std::uint32_t thread_id = 0;
  std::int64_t time = 0;     // when the record was made, ms since 1970 UTC
  std::string type_prefix;   // written in front of the JSON text: "" log records, "E" events
  vemo::JsonPtr json;             // a JSON record's tree, printed by the writer thread
  std::wstring sub_directory;  // jf switch and set-up only
};

struct LogCommand {
  int kind = kLogWrite;
  std::unique_ptr<VemoLogModel> model;  // null for kinds without data
  std::function<void()> done;           // kLogDrain only
};

}  // namespace vemo::logs
