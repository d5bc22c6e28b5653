#pragma once
// The answers of patch requests, posted as "ASYNC_CALL" for the callback id.
#include <cstdint>
#include <string>
#include <vector>

// {"ret":-1,"msg":reason} (logged).
void answer_patch_failure(int64_t callback_id, const char* request, const std::string& reason);
// {"ret":ret}
void answer_patch_result(int64_t callback_id, int ret);
// {"ret":1,"patch_succ_files":[...],"patch_fail_files":[...]}, or {"ret":0}
// without failures.
void answer_patch_lists(int64_t callback_id, const std::vector<std::string>& succeeded,
                        const std::vector<std::string>& failed);
