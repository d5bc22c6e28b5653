#pragma once
// The voice operations behind the _vemosdk media functions. Each takes the
// Lua callback id and the request's JSON text and answers that id once
// with an "ASYNC_CALL" task. Lua thread only.
#include <cstddef>
#include <cstdint>

namespace VemoSDK::Media {

void startRecording(int64_t id, const char* request, size_t length);
void stopRecording(int64_t id);
void startPlayback(int64_t id, const char* request, size_t length);
void stopPlayback(int64_t id);
void deleteRecords(int64_t id, const char* request, size_t length);

// PCM bytes captured by the running recording (for tests that time one).
size_t capturedBytes();

}  // namespace VemoSDK::Media
