// Enciphers or deciphers a sdkconfig.json with the SDK's own routine, so that
// a studio can ship its configuration enciphered.
//
//   sdkconfig_tool encrypt <plain.json> <out> [key index, default 1]
//   sdkconfig_tool decrypt <enciphered> <out.json>
//
// Exit codes: 0 done, 1 bad usage, 2 input unreadable or not valid, 3 output not written.
#include <cjson/cJSON.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/file_utils.h"
#include "core/owners.h"
#include "core/sdkconfig.h"
#include "core/text_convert.h"

namespace {

int usage() {
  std::fputs("usage: sdkconfig_tool encrypt <plain.json> <out> [key index, default 1]\n"
             "       sdkconfig_tool decrypt <enciphered> <out.json>\n",
             stderr);
  return 1;
}

bool read_input(const std::string& path, std::string& text) {
  if (vemo_read_file(path, text)) return true;
  std::fprintf(stderr, "cannot read %s\n", path.c_str());
  return false;
}

int write_output(const std::string& path, const std::string& text) {
  if (vemo_write_file(path.c_str(), text.data(), text.size(), 0) == 1) return 0;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return 3;
}

int encrypt(const std::string& in, const std::string& out, int key_index) {
  std::string json;
  if (!read_input(in, json)) return 2;
  if (json.compare(0, 3, "\xEF\xBB\xBF") == 0) json.erase(0, 3);
  if (!cJSON_IsObject(vemo::JsonPtr(cJSON_Parse(json.c_str())).get())) {
    std::fprintf(stderr, "%s is not a JSON object\n", in.c_str());
    return 2;
  }
  std::string enciphered = encrypt_sdkconfig(json, key_index);
  if (enciphered.empty()) {
    std::fprintf(stderr, "no key with index %d\n", key_index);
    return 1;
  }
  return write_output(out, enciphered);
}

int decrypt(const std::string& in, const std::string& out) {
  std::string text;
  if (!read_input(in, text)) return 2;
  vemo::MallocPtr<char> json(vemosdk_decrypt_sdkconfig(text.c_str()));
  if (!json) {
    std::fprintf(stderr, "%s is not an enciphered configuration of this SDK\n", in.c_str());
    return 2;
  }
  return write_output(out, json.get());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return usage();
  std::string verb = wstring_to_utf8(argv[1]), in = wstring_to_utf8(argv[2]), out = wstring_to_utf8(argv[3]);
  if (verb == "encrypt" && argc <= 5) {
    int key_index = kSdkConfigKeyIndex;
    if (argc == 5) {
      wchar_t* end = nullptr;
      key_index = static_cast<int>(std::wcstol(argv[4], &end, 10));
      if (!end || *end) return usage();
    }
    return encrypt(in, out, key_index);
  }
  if (verb == "decrypt" && argc == 4) return decrypt(in, out);
  return usage();
}
