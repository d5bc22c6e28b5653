#pragma once
// What the _vemosdk download and HTTP functions read from Lua: header tables
// as libcurl header lines, download parameter tables as DownloadParams, and
// the host flag. Texts longer than their fields are refused with a reason,
// never cut: a cut path or task id would name something else.
#include <cstdint>
#include <string>

#include "core/owners.h"
#include "http/download_params.h"

struct lua_State;

namespace VemoSDK::LuaHttp {

// Header lines are formatted into a buffer of this size (terminator included).
constexpr size_t kHeaderLineBuffer = 8192;
// URLs of downloads are kept in buffers of this size (terminator included).
constexpr size_t kUrlBuffer = 2048;
// Room taken of the checksum field: 32 MD5 hex digits; the field holds
// more, but no longer text could match.
constexpr size_t kChecksumField = 33;

struct HeaderLines {
  vemo::CurlSlist list;
  bool hostHeader = false;  // a name begins with "host" (case as written)
};

// A table of name -> value texts (numbers count as texts) at index, one
// "name: value" line per pair in traversal order; nil or none gives no
// lines, another type raises a Lua argument error. False, with the reason,
// for a line too long for the buffer or no memory.
bool read_header_table(lua_State* L, int index, HeaderLines& headers, std::string& error);

// Appends "name: value". False, with the reason, for a line too long for
// the buffer, a line break or NUL inside it (it would smuggle further header
// lines into the request) or no memory.
bool append_header_line(vemo::CurlSlist& list, const std::string& name, const std::string& value,
                        std::string& error);

// The host flag is 2 for an "https://" URL with a "host..." header: such a
// request asks for a name the certificate need not carry, so the host check
// is skipped (and only then).
bool skip_host_check(const char* url, bool host_header);

// The download parameter table of http_get_file at index ("file" and "dest"
// in their long-path form). False, with the reason, for a text too long for
// its field or a missing task id.
bool read_download_params(lua_State* L, int index, DownloadParams& params, std::string& error);

// Copies a text into a field of `capacity` bytes; false (error set to
// "<key> is too long") when it does not fit whole.
bool copy_param(char* field, size_t capacity, const std::string& text, const char* key, std::string& error);
template <size_t N>
bool copy_param(char (&field)[N], const std::string& text, const char* key, std::string& error) {
  return copy_param(field, N, text, key, error);
}

// A Lua number truncated to an integer within [lo, hi] (NaN gives 0).
int64_t truncate_number(double value, int64_t lo, int64_t hi);

}  // namespace VemoSDK::LuaHttp
