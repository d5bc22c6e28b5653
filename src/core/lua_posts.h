#pragma once
// Posting helpers for callers that keep their own memory: what they pass is
// copied, so the queue never frees memory of another C runtime.
#include <cstdint>

namespace VemoSDK {

// "ASYNC_CALL" with a copy of json (null keeps "{}").
void postAsyncResult(int64_t id, const char* json);
// "ASYNC_CALL" with {"index": n}.
void postAsyncIndex(int64_t id, int n);
// A named event with copies of name, json and buffer.
void postLuaEvent(const char* name, int64_t id, const char* json, const void* buffer, int32_t length);

}  // namespace VemoSDK
