#include "patch/patch_answer.h"

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/owners.h"

using vemo::JsonPtr;
using vemo::print_json;

void answer_patch_failure(int64_t callback_id, const char* request, const std::string& reason) {
  vemo_debug_printf("%s failed: %s", request, reason.c_str());
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddNumberToObject(answer.get(), "ret", -1);
  cJSON_AddStringToObject(answer.get(), "msg", reason.c_str());
  std::string text = answer ? print_json(answer.get()) : std::string("{\"ret\":-1}");
  VemoSDK::postAsyncResult(callback_id, text.c_str());
}

void answer_patch_result(int64_t callback_id, int ret) {
  std::string text = "{\"ret\":" + std::to_string(ret) + "}";
  VemoSDK::postAsyncResult(callback_id, text.c_str());
}

void answer_patch_lists(int64_t callback_id, const std::vector<std::string>& succeeded,
                        const std::vector<std::string>& failed) {
  if (failed.empty()) {
    answer_patch_result(callback_id, 0);
    return;
  }
  JsonPtr answer(cJSON_CreateObject());
  cJSON* succ = cJSON_AddArrayToObject(answer.get(), "patch_succ_files");
  cJSON* fail = cJSON_AddArrayToObject(answer.get(), "patch_fail_files");
  for (const std::string& name : succeeded) cJSON_AddItemToArray(succ, cJSON_CreateString(name.c_str()));
  for (const std::string& name : failed) cJSON_AddItemToArray(fail, cJSON_CreateString(name.c_str()));
  cJSON_AddNumberToObject(answer.get(), "ret", 1);
  VemoSDK::postAsyncResult(callback_id, print_json(answer.get()).c_str());
}
