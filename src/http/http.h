#pragma once
// The download entries of the SDK, as the _vemosdk Lua functions call them.
// Each works on HttpManager::getInstance(). A callback id of 0 means that
// nobody waits: nothing is posted for that request. Every answer reaches Lua
// later as a task.
#include <cjson/cJSON.h>

#include <cstdint>

#include "core/owners.h"
#include "http/download_params.h"

// SDK start-up: selects libcurl's Schannel back end and creates the manager,
// whose download thread starts at once.
void vmsdk_http_global_init();

// Queues one download; _vemosdk_check_submit_download starts queued ones up
// to the allowed number.
void _vemosdk_submit_download(int64_t callback_id, const char* url, vemo::CurlSlist headers,
                              DownloadParams params);
void _vemosdk_check_submit_download();
// Starts a download at once, without queueing; a request with a Range line
// resumes its file after a HEAD pre-check.
void _vemosdk_http_get_file(int64_t callback_id, const char* url, vemo::CurlSlist headers, bool no_host_check,
                            DownloadParams params);
// Stops one running download ({"succ":true}; {"succ":false,...} without an id).
void _vemosdk_http_stop_task(int64_t callback_id, const char* task_id);
// Stops running downloads and drops pending ones of a JSON array of ids.
void _vemosdk_http_stop_task_list(int64_t callback_id, const cJSON* task_ids);
// A JSON object task id -> new priority.
void _vemosdk_update_download_priority(const cJSON* task_priorities);
void _vemosdk_http_update_download_config(int64_t limit_speed_kb, int64_t read_buffer_size, int64_t max_count,
                                          int64_t progress_interval_ms, int64_t extra);
// The values the last update_download_config left (a change of one keeps the others).
struct DownloadConfig {
  int64_t limit_speed_kb;
  int64_t read_buffer_size;
  int64_t max_count;
  int64_t progress_interval_ms;
  int64_t extra;
};
DownloadConfig _vemosdk_http_download_config();
// Answers a download that cannot be made as described with 7016008 and msg
// (through its batch when params carries one).
void _vemosdk_http_reject_download(int64_t callback_id, const DownloadParams& params, const char* msg);

// In-memory GET and POST: the answer is {"headers","status"} with the body as
// the task's buffer. options_json: null, or a JSON text whose "safe_formdata"
// makes the POST a multipart upload.
void _vemosdk_http_get(int64_t callback_id, const char* url, vemo::CurlSlist headers, bool no_host_check);
void _vemosdk_http_post(int64_t callback_id, const char* url, const char* body, int64_t body_length,
                        vemo::CurlSlist headers, bool no_host_check, const char* options_json);
// One file as a multipart form, on the caller's thread: libcurl's result (0
// success) or -99 without a handle; *response gets a malloc'd copy of the
// answer's body (null on -99), which the caller frees.
int vmsdk_http_upload_file(const char* url, const char* file_path, char** response);
// Bytes as a one-file form, sent in the background; nobody is answered.
void vmsdk_http_upload_async(const char* url, const char* file_name, const void* data, int64_t length);
// A base64 SHA-256 digest of a public key that GET and POST servers must show.
void _vemosdk_http_add_cert_pin(const char* pin);
void _vemosdk_http_set_verbose(int verbose);
void _vemosdk_http_enable_revocation_check();
void _vemosdk_http_disable_revocation_check();
