#include "core/debug_log.h"

#include <share.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "core/debug_log_file.h"
#include "core/disk_space.h"
#include "core/text_convert.h"

namespace {

constexpr const char kTag[] = "VEMO_WIN";
constexpr size_t kLineCapacity = 4096;  // a longer line is cut to this, its line break kept
constexpr int kLevel = 2;

std::atomic<int> g_console{0};
std::atomic<VemoDebugCallback> g_callback{nullptr};
std::atomic<int> g_file_state{-1};  // -1 undecided, 1 file chosen, 0 no file

// Serialises whole lines. Recursive so that a line logged from inside the
// host callback on the same thread does not deadlock.
std::recursive_mutex g_line_lock;
std::mutex g_file_lock;        // held while the file is chosen
FILE* g_file = nullptr;        // open for the life of the process once chosen
thread_local bool t_in_callback = false;

bool enabled() { return g_console.load(std::memory_order_relaxed) == 1 || g_file_state.load() == 1; }

// Cuts a line to the capacity without splitting a UTF-8 sequence and ends it
// with exactly one line break.
void finish_line(std::string& line) {
  if (line.size() >= kLineCapacity) {
    utf8_truncate(line, kLineCapacity - 2);
    if (!line.empty() && line.back() == '\n') line.pop_back();
  }
  if (line.empty() || line.back() != '\n') line += '\n';
}

std::string line_prefix() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%4d-%02d-%02d %02d:%02d:%02d.%03d %lu-%lu %s: ", t.wYear, t.wMonth,
                t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long>(GetCurrentThreadId()), kTag);
  return prefix;
}

}  // namespace

int vemo_debug_write(const char* text, int level) {
  if (!text) text = "";
  // The console gets the ANSI code page; the file keeps UTF-8 like every
  // other file of the system.
  std::string ansi = convert_code_page(CP_UTF8, CP_ACP, text);
  std::lock_guard<std::recursive_mutex> lock(g_line_lock);
  std::string prefix = line_prefix();
  int written = 0;

  if (g_console.load(std::memory_order_relaxed) == 1) {
    VemoDebugCallback callback = g_callback.load();
    if (callback && !t_in_callback) {
      t_in_callback = true;
      callback(level, text, static_cast<int>(std::strlen(text)));
      t_in_callback = false;
      written = 1;
    } else if (!ansi.empty()) {
      std::string line = prefix + ansi;
      finish_line(line);
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
      written = 1;
    }
  }

  if (g_file_state.load() == 1 && g_file && *text) {
    std::string line = prefix + text;
    finish_line(line);
    std::fwrite(line.data(), 1, line.size(), g_file);
    std::fflush(g_file);
    written = 1;
  }
  return written;
}

int vemo_debug_vprintf(const char* format, va_list args) {
  if (!enabled() || !format) return 0;
  char buffer[kLineCapacity];
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return 0;
  return vemo_debug_write(buffer, kLevel);
}

int vemo_debug_printf(const char* format, ...) {
  if (!enabled()) return 0;
  va_list args;
  va_start(args, format);
  int result = vemo_debug_vprintf(format, args);
  va_end(args);
  return result;
}

int vemo_debug_print(const char* text) {
  if (!enabled()) return 0;
  return vemo_debug_write(text, kLevel);
}

int vemo_debug_enabled() { return enabled() ? 1 : 0; }

void vemo_debug_set_console(int on) { g_console.store(on == 1 ? 1 : 0); }

VemoDebugCallback vemo_debug_set_callback(VemoDebugCallback callback) {
  g_callback.store(callback);
  return callback;
}

bool debug_log_disk_has_room(std::uint64_t free_bytes) {
  return static_cast<double>(free_bytes) / 1024.0 / 1024.0 / 1024.0 >= 1.0;
}

std::string debug_log_file_name(const std::string& folder, const SYSTEMTIME& day, DWORD process_id,
                                int index) {
  char name[160];
  std::snprintf(name, sizeof name, "%04d-%02d-%02d_%lu_%03d.log", day.wYear, day.wMonth, day.wDay,
                static_cast<unsigned long>(process_id), index);
  return folder + name;
}

void vemo_debug_open_log_file_in(const std::string& folder, std::uint64_t free_bytes) {
  std::lock_guard<std::mutex> lock(g_file_lock);
  if (g_file_state.load() != -1) return;
  DWORD attributes = GetFileAttributesW(utf8_to_wstring(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    g_file_state.store(0);
    return;
  }
  if (!debug_log_disk_has_room(free_bytes)) {
    g_file_state.store(0);
    std::fputs("disk C free space too short, do not write log to local file!!!", stdout);
    std::fflush(stdout);
    return;
  }
  SYSTEMTIME today;
  GetLocalTime(&today);
  FILE* chosen = nullptr;
  for (int index = 1; index <= 999 && !chosen; ++index) {
    std::wstring name = utf8_to_wstring(debug_log_file_name(folder, today, GetCurrentProcessId(), index));
    FILE* file = _wfsopen(name.c_str(), L"at", _SH_DENYNO);
    if (!file) break;  // no file after all; lines still go to the console
    if (_fseeki64(file, 0, SEEK_END) == 0 && _ftelli64(file) < static_cast<long long>(kDebugLogFileLimit))
      chosen = file;
    else
      std::fclose(file);
  }
  {
    std::lock_guard<std::recursive_mutex> line_lock(g_line_lock);
    g_file = chosen;
  }
  g_file_state.store(1);
}

void vemo_debug_open_log_file() {
  vemo_debug_open_log_file_in(kDebugLogFolder, get_disk_free_space("C:\\"));
}
