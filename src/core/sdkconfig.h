#pragma once
// Reading sdkconfig.json, plain or enciphered. An enciphered file is the
// base64 text of the header "<Bs1I4Bs1", one key-index byte and the JSON
// text run through RC4 under that built-in key.
#include <cjson/cJSON.h>

#include <string>

constexpr char kSdkConfigHeader[] = "<Bs1I4Bs1";
constexpr int kSdkConfigKeyIndex = 1;  // the key studios encipher their configuration with

// The JSON tree of an enciphered configuration text; null when the text is
// not one (no header, unknown key, or not JSON once deciphered).
cJSON* parse_enciphered_sdkconfig(const std::string& text);
// The deciphered JSON text as a malloc'd string (caller frees), or null.
char* vemosdk_decrypt_sdkconfig(const char* text);
// The enciphered form of a JSON text under a key index; empty for an unknown index.
std::string encrypt_sdkconfig(const std::string& json, int key_index);

// The configuration tree of a file, enciphered or plain (a UTF-8 byte order
// mark is allowed); null when it cannot be read or is not JSON.
cJSON* load_json_file(const std::wstring& path);
