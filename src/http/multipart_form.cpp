#include "http/multipart_form.h"

#include <algorithm>

#include "core/file_utils.h"
#include "core/json_utils.h"

namespace VemoSDKHttp {
namespace {

bool add_file_part(curl_mime* form, const cJSON* spec, std::string& error) {
  const char* path = json_get_string(spec, "file_path");
  std::string bytes;
  if (!path || !vemo_read_file(path, bytes)) {
    error = std::string("cannot read the file of form part: ") + (path ? path : "(no file_path)");
    return false;
  }
  curl_mimepart* part = curl_mime_addpart(form);
  if (!part) return false;
  const char* name = json_get_string(spec, "name");
  const char* file_name = json_get_string(spec, "file_name");
  if (name) curl_mime_name(part, name);
  if (file_name) curl_mime_filename(part, transfer_file_name(file_name).c_str());
  return curl_mime_data(part, bytes.data(), bytes.size()) == CURLE_OK;
}

bool add_data_part(curl_mime* form, const cJSON* spec) {
  curl_mimepart* part = curl_mime_addpart(form);
  if (!part) return false;
  const cJSON* data = cJSON_GetObjectItemCaseSensitive(spec, "data");
  if (!data) return true;  // a part with neither name nor data
  const char* name = json_get_string(spec, "name");
  if (name) curl_mime_name(part, name);
  if (cJSON_IsString(data)) return curl_mime_data(part, data->valuestring, CURL_ZERO_TERMINATED) == CURLE_OK;
  vemo::JsonText printed(cJSON_PrintUnformatted(data));
  return printed && curl_mime_data(part, printed.get(), CURL_ZERO_TERMINATED) == CURLE_OK;
}

}  // namespace

std::string transfer_file_name(std::string_view path) {
  std::string name;
  if (path.substr(0, 8) == "\\\\?\\UNC\\") {
    name = "\\\\";
    path.remove_prefix(8);
  } else if (path.substr(0, 4) == "\\\\?\\") {
    path.remove_prefix(4);
  }
  name += path;
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

bool build_safe_formdata(CURL* easy, const cJSON* parts, vemo::CurlMime& form, std::string& error) {
  form.reset(curl_mime_init(easy));
  if (!form) {
    error = "no memory for the form";
    return false;
  }
  for (const cJSON* spec = cJSON_IsArray(parts) ? parts->child : nullptr; spec; spec = spec->next) {
    const char* type = json_get_string(spec, "type");
    if (!type) continue;
    bool added = true;
    if (std::string_view(type) == "file")
      added = add_file_part(form.get(), spec, error);
    else if (std::string_view(type) == "data")
      added = add_data_part(form.get(), spec);
    if (!added) {
      if (error.empty()) error = "no memory for the form";
      return false;
    }
  }
  return true;
}

bool build_file_form(CURL* easy, std::string_view file_name, std::string_view data, vemo::CurlMime& form) {
  form.reset(curl_mime_init(easy));
  curl_mimepart* part = form ? curl_mime_addpart(form.get()) : nullptr;
  if (!part) return false;
  curl_mime_name(part, "file");
  curl_mime_filename(part, transfer_file_name(file_name).c_str());
  return curl_mime_data(part, data.data(), data.size()) == CURLE_OK;
}

}  // namespace VemoSDKHttp
