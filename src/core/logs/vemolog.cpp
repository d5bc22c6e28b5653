#include "core/logs/vemolog.h"

#include <windows.h>

#include <new>

#include "core/file_utils.h"
#include "core/logs/vemolog_stream.h"

namespace vemo::logs {

namespace {

std::wstring with_separator(const std::wstring& directory) {
  wchar_t last = directory.back();
  return last == L'\\' || last == L'/' ? directory : directory + L'\\';
}

// The stream of `directory`, made when it has none yet; null without memory.
VemoLogStream* stream_for(VemoLog& log, const std::wstring& directory) {
  try {
    std::unique_ptr<VemoLogStream>& stream = log.streams[directory];
    if (!stream) stream = std::make_unique<VemoLogStream>();
    return stream.get();
  } catch (const std::bad_alloc&) {
    log.streams.erase(directory);
    return nullptr;
  }
}

}  // namespace

VemoLog::VemoLog() = default;
VemoLog::~VemoLog() = default;

int vemolog_init(VemoLog& log, const std::wstring& directory, std::int64_t max_file_size) {
  if (log.initialised || directory.empty()) return kInitRefused;
  log.max_file_size = max_file_size > 0 ? max_file_size : kDefaultMaxFileSize;
  log.directory = with_separator(directory);
  create_dirs_for_path_w(log.directory);
  log.current = stream_for(log, log.directory);
  if (!log.current) return kInitNoBuffer;
  log.initialised = true;
  return kInitReady;
}

int vemolog_open(VemoLog& log, const std::wstring& name) {
  if (!log.initialised) return kOpenNotInitialised;
  if (name.empty() || !log.current) return kOpenBadName;
  std::wstring path = log.directory + name;
  // The jf instance comes back to a directory's file without closing it.
  if (log.per_directory_streams && log.current->is_open() && log.current->path() == path) return kOpenDone;
  try {
    return log.current->open(path);
  } catch (const std::bad_alloc&) {
    log.current->close();
    return kOpenNoMemory;
  }
}

int cvemolog_write(VemoLog& log, const std::string& text) {
  if (!log.initialised || !log.current) return kWriteNotOpen;
  try {
    return log.current->write(text, log.max_file_size);
  } catch (const std::bad_alloc&) {
    return kWriteNoMemory;
  }
}

int vemolog_flush(VemoLog& log) {
  if (!log.initialised || !log.current) return kFlushNoStream;
  log.current->write_out();
  return kFlushDone;
}

void vemolog_flush_all(VemoLog& log) {
  for (auto& entry : log.streams) entry.second->write_out();
}

int vemolog_jf_switch_dir(VemoLog& log, const std::wstring& directory) {
  if (!log.initialised || !log.per_directory_streams || directory.empty()) return 0;
  std::wstring switched = with_separator(directory);
  create_dirs_for_path_w(switched);
  VemoLogStream* stream = stream_for(log, switched);
  if (!stream) return 0;
  log.directory = switched;
  log.current = stream;
  return 1;
}

std::wstring vemolog_current_file(const VemoLog& log) {
  return log.current && log.current->is_open() ? log.current->path() : std::wstring();
}

std::int64_t vemolog_current_file_size(const VemoLog& log) {
  return log.current && log.current->is_open() ? log.current->file_size() : 0;
}

}  // namespace vemo::logs
