#pragma once
// What the applications need to host their Lua state on the UI thread: the
// precompiled tick of the scripts, protected chunk runs and the message
// handler that reports and prints Lua errors. UI thread only.
#include <cstddef>
#include <initializer_list>
#include <string_view>

struct lua_State;

// Loads (does not run) the scripts' tick chunk and keeps it in the registry.
// 1 when it is ready, else 0.
int precompile_tick_function(lua_State* L);
// Runs the kept tick under lua_error_traceback. A call made while a tick is
// still running (a modal loop inside Lua lets timer messages through) does
// nothing.
void call_tick_function(lua_State* L);
void release_tick_function(lua_State* L);

// Loads and runs a chunk under lua_error_traceback; errors are printed.
void run_lua_chunk(lua_State* L, const char* text, size_t length, const char* chunk_name);
// The same with texts the chunk receives as its arguments ("..."): a text
// from outside is handed over as a value, never pasted into the source.
void run_lua_chunk_with_texts(lua_State* L, const char* text, size_t length, const char* chunk_name,
                              std::initializer_list<std::string_view> arguments);

// Message handler: reports the error (vemosdk_on_lua_error), prints it and
// leaves the message with its traceback on the stack.
int lua_error_traceback(lua_State* L);
