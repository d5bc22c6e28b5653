#include "lua/zlib/lua_zlib.h"
#include "core/lua_guard.h"

#include <zlib.h>

#include <lua.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kStreamType[] = "vemosdk_zlib_stream";
constexpr char kChecksumType[] = "vemosdk_zlib_checksum";
constexpr size_t kChunk = 16 * 1024;

// One z_stream in a userdata; __gc ends it whatever state it is in.
struct StreamBox {
  z_stream stream;
  bool deflating;
  bool open;      // initialised and not ended yet
  bool finished;  // "finish" given, or the end of the compressed data seen
};

struct ChecksumBox {
  bool is_crc;
  uLong value;
  z_off_t length;  // bytes summed, for combining
};

int streamGc(lua_State* L) {
  auto* box = static_cast<StreamBox*>(luaL_checkudata(L, 1, kStreamType));
  if (box->open) box->deflating ? deflateEnd(&box->stream) : inflateEnd(&box->stream);
  box->open = false;
  return 0;
}

StreamBox* newStream(lua_State* L, bool deflating) {
  auto* box = static_cast<StreamBox*>(lua_newuserdata(L, sizeof(StreamBox)));
  std::memset(box, 0, sizeof *box);
  box->deflating = deflating;
  luaL_setmetatable(L, kStreamType);
  return box;
}

int raiseZlib(lua_State* L, const char* kind, const StreamBox& box, int status) {
  return luaL_error(L, "%s: %s", kind, box.stream.msg ? box.stream.msg : zError(status));
}

int pushResult(lua_State* L, const std::string& out, const StreamBox& box) {
  lua_pushlstring(L, out.data(), out.size());
  lua_pushboolean(L, box.finished);
  lua_pushinteger(L, static_cast<lua_Integer>(box.stream.total_in));
  lua_pushinteger(L, static_cast<lua_Integer>(box.stream.total_out));
  return 4;
}

int flushMode(lua_State* L, int index) {
  static const char* const kNames[] = {"none", "sync", "full", "finish", nullptr};
  static const int kModes[] = {Z_NO_FLUSH, Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_FINISH};
  return kModes[luaL_checkoption(L, index, "none", kNames)];
}

int deflateStep(lua_State* L) {
  auto* box = static_cast<StreamBox*>(luaL_checkudata(L, lua_upvalueindex(1), kStreamType));
  size_t length = 0;
  const char* input = luaL_optlstring(L, 1, "", &length);
  int flush = flushMode(L, 2);
  if (box->finished) {
    if (length) return luaL_error(L, "IllegalState: calling deflate function when stream was previously closed");
    return pushResult(L, std::string(), *box);
  }
  box->stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
  box->stream.avail_in = static_cast<uInt>(length);
  std::string out;
  unsigned char chunk[kChunk];
  int status;
  do {
    box->stream.next_out = chunk;
    box->stream.avail_out = sizeof chunk;
    status = deflate(&box->stream, flush);
    if (status == Z_STREAM_ERROR) return raiseZlib(L, "InvalidState", *box, status);
    out.append(reinterpret_cast<char*>(chunk), sizeof chunk - box->stream.avail_out);
  } while (box->stream.avail_out == 0 || box->stream.avail_in > 0);
  if (status == Z_STREAM_END) box->finished = true;
  return pushResult(L, out, *box);
}

int inflateStep(lua_State* L) {
  auto* box = static_cast<StreamBox*>(luaL_checkudata(L, lua_upvalueindex(1), kStreamType));
  size_t length = 0;
  const char* input = luaL_optlstring(L, 1, "", &length);
  if (box->finished) {
    if (length) return luaL_error(L, "IllegalState: calling inflate function when stream was previously closed");
    return pushResult(L, std::string(), *box);
  }
  box->stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
  box->stream.avail_in = static_cast<uInt>(length);
  std::string out;
  unsigned char chunk[kChunk];
  while (true) {
    box->stream.next_out = chunk;
    box->stream.avail_out = sizeof chunk;
    int status = inflate(&box->stream, Z_SYNC_FLUSH);
    out.append(reinterpret_cast<char*>(chunk), sizeof chunk - box->stream.avail_out);
    if (status == Z_STREAM_END) {
      box->finished = true;  // bytes after the end stay unread (bytes_in says where)
      break;
    }
    if (status == Z_BUF_ERROR) break;  // all input taken, waiting for more
    if (status != Z_OK) return raiseZlib(L, "InvalidInput", *box, status);
    if (box->stream.avail_in == 0 && box->stream.avail_out != 0) break;
  }
  return pushResult(L, out, *box);
}

int newDeflate(lua_State* L) {
  int level = static_cast<int>(luaL_optinteger(L, 1, Z_DEFAULT_COMPRESSION));
  int window_bits = static_cast<int>(luaL_optinteger(L, 2, MAX_WBITS));
  StreamBox* box = newStream(L, true);
  int status = deflateInit2(&box->stream, level, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY);
  if (status != Z_OK) return raiseZlib(L, "InvalidArgument", *box, status);
  box->open = true;
  vemo::lua_push_guarded(L, deflateStep, 1);
  return 1;
}

int newInflate(lua_State* L) {
  int window_bits = static_cast<int>(luaL_optinteger(L, 1, MAX_WBITS + 32));
  StreamBox* box = newStream(L, false);
  int status = inflateInit2(&box->stream, window_bits);
  if (status != Z_OK) return raiseZlib(L, "InvalidArgument", *box, status);
  box->open = true;
  vemo::lua_push_guarded(L, inflateStep, 1);
  return 1;
}

int checksumStep(lua_State* L) {
  auto* box = static_cast<ChecksumBox*>(luaL_checkudata(L, lua_upvalueindex(1), kChecksumType));
  if (lua_type(L, 1) == LUA_TFUNCTION) {
    // Another checksum of the same kind: combine, as if its text came next.
    ChecksumBox* other = nullptr;
    if (lua_getupvalue(L, 1, 1)) other = static_cast<ChecksumBox*>(luaL_testudata(L, -1, kChecksumType));
    if (!other || other->is_crc != box->is_crc) return luaL_argerror(L, 1, "not a checksum of the same kind");
    box->value = box->is_crc ? crc32_combine(box->value, other->value, other->length)
                             : adler32_combine(box->value, other->value, other->length);
    box->length += other->length;
  } else {
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    // zlib takes lengths as uInt: feed long texts in pieces.
    for (size_t at = 0; at < length;) {
      uInt piece = static_cast<uInt>(std::min<size_t>(length - at, 1u << 30));
      const auto* bytes = reinterpret_cast<const Bytef*>(text + at);
      box->value = box->is_crc ? crc32(box->value, bytes, piece) : adler32(box->value, bytes, piece);
      at += piece;
    }
    box->length += static_cast<z_off_t>(length);
  }
  lua_pushinteger(L, static_cast<lua_Integer>(box->value));
  return 1;
}

int newChecksum(lua_State* L, bool is_crc) {
  uLong initial = lua_isnoneornil(L, 1) ? (is_crc ? crc32(0, nullptr, 0) : adler32(0, nullptr, 0))
                                       : static_cast<uLong>(luaL_checkinteger(L, 1));
  auto* box = static_cast<ChecksumBox*>(lua_newuserdata(L, sizeof(ChecksumBox)));
  box->is_crc = is_crc;
  box->value = initial;
  box->length = 0;
  luaL_setmetatable(L, kChecksumType);
  vemo::lua_push_guarded(L, checksumStep, 1);
  return 1;
}

int newCrc32(lua_State* L) { return newChecksum(L, true); }
int newAdler32(lua_State* L) { return newChecksum(L, false); }

// The linked zlib's version as numbers; a part it does not have is nil.
int version(lua_State* L) {
  const char* text = zlibVersion();
  int parts = 0;
  while (parts < 3 && *text) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text) break;
    lua_pushinteger(L, value);
    ++parts;
    text = *end == '.' ? end + 1 : end;
  }
  for (; parts < 3; ++parts) lua_pushnil(L);
  return 3;
}

const luaL_Reg kZlibFunctions[] = {
    {"version", version},   {"deflate", newDeflate}, {"inflate", newInflate},
    {"crc32", newCrc32},    {"adler32", newAdler32}, {nullptr, nullptr},
};

}  // namespace

int luaopen_vemosdk_zlib(lua_State* L) {
  luaL_newmetatable(L, kStreamType);
  vemo::lua_push_guarded(L, streamGc);
  lua_setfield(L, -2, "__gc");
  lua_pop(L, 1);
  luaL_newmetatable(L, kChecksumType);
  lua_pop(L, 1);
  vemo::lua_new_guarded_lib(L, kZlibFunctions);
  lua_pushinteger(L, Z_BEST_SPEED);
  lua_setfield(L, -2, "BEST_SPEED");
  lua_pushinteger(L, Z_BEST_COMPRESSION);
  lua_setfield(L, -2, "BEST_COMPRESSION");
  return 1;
}
