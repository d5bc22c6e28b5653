#include "media/voice_media.h"

#include "core/debug_log.h"
#include "core/lua_task_queue.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "media/voice_codes.h"
#include "media/voice_player.h"
#include "media/voice_recorder.h"
#include "media/voice_records.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace VemoSDK::Media {

namespace {

using vemo::JsonPtr;

// The recorder of the process: created on first use, never destroyed (a
// playback thread may still run while the process exits).
struct Recorder {
  VoiceRecorder recording;
  VoicePlayer playback;
  RecordRequest last;  // absent keys of a request keep these values
};

Recorder& recorder() {
  static Recorder* const instance = new Recorder();
  return *instance;
}

// Hands a cJSON object to Lua as the answer for id; buffer (malloc'd) is taken.
void answer(int64_t id, const cJSON* object, void* buffer = nullptr, int32_t length = 0) {
  vemo::JsonText printed(cJSON_PrintUnformatted(object));
  char* json = printed ? static_cast<char*>(std::malloc(std::strlen(printed.get()) + 1)) : nullptr;
  if (json) std::strcpy(json, printed.get());
  LuaTaskQueue::getInstance()->postAsyncCall(id, json, buffer, length);
}

void answerStatus(int64_t id, int code, const char* message) {
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddBoolToObject(result.get(), "succ", code == 0);
  cJSON_AddStringToObject(result.get(), "message", message);
  cJSON_AddNumberToObject(result.get(), "code", code);
  answer(id, result.get());
}

// The parsed request, or null after answering with where the parser stopped.
JsonPtr parseOrAnswer(int64_t id, const char* request, size_t length, const char* operation) {
  const char* error_at = nullptr;
  JsonPtr parsed(request ? cJSON_ParseWithLengthOpts(request, length, &error_at, false) : nullptr);
  if (parsed && cJSON_IsObject(parsed.get())) return parsed;
  const char* rest = parsed ? "the request is not an object" : (error_at ? error_at : "");
  vemo_debug_printf("[recorder]%s Error before: %s\n", operation, rest);
  answerStatus(id, kVoiceBadRequest, rest);
  return nullptr;
}

std::string stringOr(const cJSON* object, const char* key, const std::string& fallback) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsString(item) && item->valuestring ? item->valuestring : fallback;
}

double numberOr(const cJSON* object, const char* key, double fallback) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsNumber(item) ? item->valuedouble : fallback;
}

}  // namespace

void startRecording(int64_t id, const char* request, size_t length) {
  JsonPtr parsed = parseOrAnswer(id, request, length, "StartRecording");
  if (!parsed) return;
  Recorder& r = recorder();
  RecordRequest wanted = r.last;
  wanted.filename = safe_record_name(stringOr(parsed.get(), "filename", wanted.filename));
  wanted.format = safe_record_name(stringOr(parsed.get(), "format", wanted.format));
  wanted.sampling_rate = static_cast<int>(numberOr(parsed.get(), "sampling_rate", wanted.sampling_rate));
  wanted.channels = static_cast<int>(numberOr(parsed.get(), "channel", 1));
  RecordStart started = r.recording.start(wanted);
  if (started.code != kVoiceBusy) r.last = wanted;  // a refused start leaves the running one alone
  answerStatus(id, started.code, started.message);
}

void stopRecording(int64_t id) {
  RecordResult result = recorder().recording.stop();
  JsonPtr answerObject(cJSON_CreateObject());
  cJSON* object = answerObject.get();
  if (!result.recorded || result.code != 0) {
    cJSON_AddBoolToObject(object, "succ", false);
    cJSON_AddBoolToObject(object, "was_recording", result.recorded);
    cJSON_AddStringToObject(object, "message", result.message.c_str());
    cJSON_AddNumberToObject(object, "code", result.code);
    cJSON_AddNumberToObject(object, "filesize", 0);
    answer(id, object);
    return;
  }
  cJSON_AddBoolToObject(object, "succ", true);
  cJSON_AddBoolToObject(object, "was_recording", true);
  cJSON_AddNumberToObject(object, "sampling_rate", result.sampling_rate);
  cJSON_AddStringToObject(object, "filename", result.filename.c_str());
  cJSON_AddStringToObject(object, "format", result.format.c_str());
  cJSON_AddNumberToObject(object, "filesize", static_cast<double>(result.file.size()));
  void* bytes = std::malloc(result.file.size());
  if (bytes) std::memcpy(bytes, result.file.data(), result.file.size());
  answer(id, object, bytes, bytes ? static_cast<int32_t>(result.file.size()) : 0);
}

void startPlayback(int64_t id, const char* request, size_t length) {
  JsonPtr parsed = parseOrAnswer(id, request, length, "StartPlayback");
  if (!parsed) return;
  Recorder& r = recorder();
  if (r.playback.playing()) {
    answerStatus(id, kVoiceBusy, "media is playing");
    return;
  }
  std::wstring path = to_long_path(stringOr(parsed.get(), "filepath", ""));
  if (!file_exists(path)) {
    vemo_debug_printf("[recorder]file not exists");
    answerStatus(id, kVoiceFileMissing, "file not exists");
    return;
  }
  r.playback.start(path, numberOr(parsed.get(), "volume", 1), id);
  answerStatus(id, 0, "");
}

void stopPlayback(int64_t id) {
  bool was_playing = recorder().playback.stop();
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddBoolToObject(result.get(), "succ", true);
  cJSON_AddBoolToObject(result.get(), "was_playing", was_playing);
  cJSON_AddStringToObject(result.get(), "message", "");
  cJSON_AddNumberToObject(result.get(), "code", 0);
  answer(id, result.get());
}

void deleteRecords(int64_t id, const char* request, size_t length) {
  JsonPtr parsed = parseOrAnswer(id, request, length, "DeleteRecords");
  if (!parsed) return;
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddNumberToObject(result.get(), "deleted_count", delete_records(stringOr(parsed.get(), "filename", "")));
  answer(id, result.get());
}

size_t capturedBytes() { return recorder().recording.capturedBytes(); }

}  // namespace VemoSDK::Media
