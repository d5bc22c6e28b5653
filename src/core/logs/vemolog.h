#pragma once
// The compressed log file writer: text records appended to a log file as a
// sequence of independent blocks, each one gzip member (see log_block_format.h).
// One VemoLog is one writer instance; the file log and the jf store each own
// one. Not thread-safe: only the log writer thread calls these.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace vemo::logs {

class VemoLogStream;

// Result codes (negative, as the writer's callers expect them).
enum VemoLogResult : int {
  kInitReady = -1020,
  kInitNoBuffer = -1030,
  kInitNoMemory = -1040,
  kInitRefused = -1050,  // already initialised, or an empty directory
  kOpenDone = -2010,
  kOpenCannotOpen = -2020,
  kOpenNoCompressor = -2030,
  kOpenNoMemory = -2040,
  kOpenNotInitialised = -2050,
  kOpenBadName = -2060,  // empty name, no directory or no buffer
  kWriteDone = -4010,
  kWriteOverSize = -4030,
  kWriteNoMemory = -4040,
  kWriteNotOpen = -4050,  // not initialised, no stream or not opened
  kFlushDone = -5010,
  kFlushNoStream = -5020,
};

constexpr std::int64_t kDefaultMaxFileSize = 3145728;  // when init is given 0 or less

struct VemoLog {
  VemoLog();
  ~VemoLog();
  VemoLog(const VemoLog&) = delete;
  VemoLog& operator=(const VemoLog&) = delete;

  // The jf instance keeps one stream per directory and can switch between them.
  bool per_directory_streams = false;
  bool initialised = false;
  std::wstring directory;  // always ends with a separator
  std::int64_t max_file_size = kDefaultMaxFileSize;
  std::map<std::wstring, std::unique_ptr<VemoLogStream>> streams;  // by directory
  VemoLogStream* current = nullptr;  // the stream of `directory`
};

// Keeps the directory (created when missing) and the size limit.
int vemolog_init(VemoLog& log, const std::wstring& directory, std::int64_t max_file_size);
// Opens directory + name for appending, writing out what the previous file
// of the stream still held. A failed open leaves the stream closed.
int vemolog_open(VemoLog& log, const std::wstring& name);
// Adds one record (the text and "\n") to the block being built; a block that
// is complete reaches the file at once.
int cvemolog_write(VemoLog& log, const std::string& text);
// Completes the block being built and writes it out.
int vemolog_flush(VemoLog& log);
// The same for the stream of every directory (at exit).
void vemolog_flush_all(VemoLog& log);
// jf instance: makes `directory` current (created when missing); 1 switched,
// 0 not initialised, empty, or not the jf instance.
int vemolog_jf_switch_dir(VemoLog& log, const std::wstring& directory);

// The open file of the current stream (empty when none), and its size as the
// writer counts it.
std::wstring vemolog_current_file(const VemoLog& log);
std::int64_t vemolog_current_file_size(const VemoLog& log);

}  // namespace vemo::logs
