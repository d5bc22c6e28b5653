#pragma once
// The scripts' zlib binding (the `zlib` field of `_vemosdk_crypt`):
//
//   major, minor, patch = zlib.version()
//   stream = zlib.deflate([level [, window_bits]])
//     out, eof, bytes_in, bytes_out = stream(input [, "sync" | "full" | "finish"])
//   stream = zlib.inflate([window_bits])      -- default: zlib or gzip, detected
//     out, eof, bytes_in, bytes_out = stream(input)
//   checksum = zlib.crc32([value]) / zlib.adler32([value])
//     value = checksum(text)                  -- continues the checksum
//     value = checksum(other_checksum)        -- as if other's text followed
//   zlib.BEST_SPEED, zlib.BEST_COMPRESSION
//
// A finished stream refuses more input with an error beginning "IllegalState";
// broken compressed data raises one beginning "InvalidInput".
struct lua_State;

// Pushes the binding's table.
int luaopen_vemosdk_zlib(lua_State* L);
