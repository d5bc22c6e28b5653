#pragma once
// Local notifications for the scripts: Windows toasts shown, hidden and
// listened to through the toast library. The back ends of the _vemosdk
// notification functions; Lua thread only (the toast library is per thread).
#include <cjson/cJSON.h>

#include <cstdint>

// The new toast's id (non-negative), or -1 when the request lacks a title
// or content, or the toast cannot be shown.
int64_t vmsdk_add_local_notification(const cJSON* request);
// The first of activation, dismissal, failure or hiding of the toast is
// posted to callback_id; a second call for the same toast replaces the first.
void vmsdk_listen_local_notification(int64_t callback_id, int64_t toast_id);
// False when no toast was ever shown from this thread.
bool vmsdk_remove_local_notification(int64_t toast_id);
// Whether this system can show toasts and the first notification set them up.
bool vmsdk_check_can_local_notification();
