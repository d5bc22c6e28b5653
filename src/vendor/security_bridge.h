#pragma once
// The bridge to the security DLL "vendors\gs\gs.dll" beside the program: it
// is loaded once and never freed; the host values it asks for are kept here.
// Slots call in on the Lua thread; the DLL's result callbacks may come on its
// own threads and only build texts and post them.
#include <cjson/cJSON.h>

#include <string>

#include "vendor/security_interfaces.h"

namespace VemoSDK::Security {

// The host values from a JSON object (absent members leave them).
void update_data(const cJSON* json);
// Starts the bridge: 1 when the UMID was started, else 0.
int init_umid();
void init_sync_call();
// A copy (malloc) of the token or of the gsData text, or null.
char* get_token();
char* get_mw();
// The answer of the sync interface; empty without one or without a text.
bool sync_call(const std::string& type, const std::string& json, std::string& answer);
// Answers callback_id at once when there is no async interface.
void async_call(const std::string& type, const std::string& json, int callback_id);

// The host-information answer for a key ("" outside the list); the text
// stays valid for the life of the process.
const char* host_info(const char* key, int* length);
// Posts {"code": status is 200, "body": result} for a non-negative id.
void post_async_result(int callback_id, int status, const char* result);

}  // namespace VemoSDK::Security
