#pragma once
// Multipart forms of uploads: from a "safe_formdata" description, or one
// file part. Built on the request's own easy handle, whose transfer the form
// must outlive.
#include <cjson/cJSON.h>

#include <string>
#include <string_view>

#include "core/owners.h"

namespace VemoSDKHttp {

// How a local path travels as a part's file name: without the "\\?\" prefix
// and with "/" separators.
std::string transfer_file_name(std::string_view path);

// The parts of a "safe_formdata" array: {"type":"file","name","file_name",
// "file_path"} sends the whole file, {"type":"data","name","data"} sends the
// data text (or its JSON print), other types are skipped. False, with the
// reason, when a file cannot be read or libcurl has no memory.
bool build_safe_formdata(CURL* easy, const cJSON* parts, vemo::CurlMime& form, std::string& error);

// One part named "file" with the bytes and the file name (transfer form).
bool build_file_form(CURL* easy, std::string_view file_name, std::string_view data, vemo::CurlMime& form);

}  // namespace VemoSDKHttp
