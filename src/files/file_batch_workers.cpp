#include "files/file_batch_workers.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/owners.h"
#include "core/parallel_items.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_batch_item_path.h"
#include "files/file_ops.h"

namespace {

// The failed items of one batch, by item name, and the code and message of
// the last failure, which reach the answer. Lives on the batch's thread.
class BatchFailures {
public:
  BatchFailures() : items_(cJSON_CreateObject()) {}
  BatchFailures(const BatchFailures&) = delete;
  BatchFailures& operator=(const BatchFailures&) = delete;

  void record(const char* item, const OpResult& result) {
    ++count_;
    code_ = result.code;
    message_ = result.message;
    cJSON* failure = cJSON_CreateObject();
    cJSON_AddStringToObject(failure, "msg", result.message.c_str());
    cJSON_AddNumberToObject(failure, "code", result.code);
    cJSON_AddItemToObject(items_.get(), item, failure);
  }
  // {"succ", "code", "msg" (after a failure only), <failures_name>: {...}}.
  cJSON* answer(const char* failures_name) {
    cJSON* answer = cJSON_CreateObject();
    cJSON_AddBoolToObject(answer, "succ", count_ == 0);
    cJSON_AddNumberToObject(answer, "code", code_);
    if (count_ > 0) cJSON_AddStringToObject(answer, "msg", message_.c_str());
    cJSON_AddItemToObject(answer, failures_name, items_.release());
    return answer;
  }

private:
  vemo::JsonPtr items_;
  int count_ = 0;
  int code_ = 0;
  std::string message_;
};

// A joined item path in a buffer of the operations' fixed size.
struct ItemPath {
  char text[kVemoPathBufferSize] = {};
};

// Source -> target operations (copy, rename): both sides joined with their
// base, the operation run, a failure recorded under the source name.
template <class Operation>
cJSON* run_pair_batch(const cJSON* items, const cJSON* options, Operation operation) {
  const char* source_base = json_get_string(options, "src_base_path");
  const char* target_base = json_get_string(options, "dst_base_path");
  BatchFailures failures;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, items) {
    if (!cJSON_IsString(item) || item->string == nullptr) continue;
    ItemPath source, target;
    OpResult result = join_batch_item(source_base, item->string, source.text, sizeof source.text);
    if (result.success) result = join_batch_item(target_base, item->valuestring, target.text, sizeof target.text);
    if (result.success) result = operation(source.text, target.text);
    if (!result.success) failures.record(item->string, result);
  }
  return failures.answer("result_ext");
}

}  // namespace

cJSON* do_vemo_file_batch_copy(const cJSON* items, const cJSON* options) {
  // Only an explicit false keeps existing targets.
  bool override_existing = !cJSON_IsFalse(cJSON_GetObjectItemCaseSensitive(options, "need_override"));
  vemo_debug_printf("do_vemo_file_batch_copy need_override:%s\n", override_existing ? "true" : "false");
  return run_pair_batch(items, options, [override_existing](const char* source, const char* target) {
    return vemo_copy_file_or_directory_utf8(source, target, override_existing);
  });
}

cJSON* do_vemo_file_batch_rename(const cJSON* items, const cJSON* options) {
  return run_pair_batch(items, options, vemo_rename_path);
}

cJSON* do_vemo_file_batch_remove(const cJSON* items, const cJSON* options) {
  const char* base = json_get_string(options, "base_path");
  BatchFailures failures;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, items) {
    if (!cJSON_IsString(item)) continue;
    ItemPath path;
    OpResult result = join_batch_item(base, item->valuestring, path.text, sizeof path.text);
    if (result.success && path.text[0] == '\0') {
      vemo_debug_print("batch_info skip, for path is empty!\n");
      continue;
    }
    if (result.success) result = vemo_remove_file_or_directory_utf8(path.text);
    if (!result.success) failures.record(item->valuestring, result);
  }
  return failures.answer("result_ext");
}

cJSON* do_vemo_file_batch_info(const cJSON* items, const cJSON* options) {
  ULONGLONG started = GetTickCount64();
  const char* base = json_get_string(options, "base_path");
  bool check_size = cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(options, "check_size"));
  cJSON* infos = cJSON_CreateObject();
  int count = 0;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, items) {
    if (!cJSON_IsString(item)) continue;
    ++count;
    ItemPath path;
    OpResult joined = join_batch_item(base, item->valuestring, path.text, sizeof path.text);
    vemo::JsonPtr info(cJSON_CreateObject());
    if (!joined.success) {
      // A refused item reads as missing, with the reason beside it.
      cJSON_AddBoolToObject(info.get(), "exists", false);
      cJSON_AddStringToObject(info.get(), "msg", joined.message.c_str());
      cJSON_AddNumberToObject(info.get(), "code", joined.code);
    } else if (path.text[0] == '\0') {
      vemo_debug_print("batch_info skip, for path is empty!\n");
      continue;
    } else if (vemo_is_directory(path.text)) {
      vemo_debug_printf("!!! batch_info skip process directory:%s\n", path.text);
      cJSON_AddBoolToObject(info.get(), "exists", false);
    } else {
      bool exists = file_exists(std::string(path.text));
      cJSON_AddBoolToObject(info.get(), "exists", exists);
      if (exists && check_size) cJSON_AddNumberToObject(info.get(), "size", static_cast<double>(vemo_file_length(path.text)));
    }
    cJSON_AddItemToObject(infos, item->valuestring, info.release());
  }
  vemo_debug_printf("do_vemo_file_batch_info total count:%d, cost:%f\n", count,
                    static_cast<double>(GetTickCount64() - started) / 1000.0);
  cJSON* answer = cJSON_CreateObject();
  cJSON_AddBoolToObject(answer, "succ", true);
  cJSON_AddItemToObject(answer, "succ_info", infos);
  return answer;
}

cJSON* do_vemo_file_batch_md5(const cJSON* items, const cJSON* options) {
  const char* base = cJSON_IsString(options) ? options->valuestring : nullptr;
  // The files are hashed on several threads, each result in its item's slot;
  // the answer is built afterwards in the list's order, as one thread would.
  struct ItemDigest {
    const char* item;
    OpResult result;
    char digest[33];
  };
  std::vector<ItemDigest> slots;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, items) {
    if (cJSON_IsString(item)) slots.push_back({item->valuestring, {}, {}});
  }
  for_each_index_in_parallel(slots.size(), batch_thread_count(), [&slots, base](size_t index) {
    ItemDigest& slot = slots[index];
    ItemPath path;
    slot.result = join_batch_item(base, slot.item, path.text, sizeof path.text);
    if (slot.result.success) slot.result = vemo_file_md5_utf8(path.text, slot.digest);
  });
  BatchFailures failures;
  cJSON* digests = cJSON_CreateObject();
  for (const ItemDigest& slot : slots) {
    if (slot.result.success)
      cJSON_AddStringToObject(digests, slot.item, slot.digest);
    else
      failures.record(slot.item, slot.result);
  }
  cJSON* answer = failures.answer("fail_data");
  cJSON_AddItemToObject(answer, "succ_data", digests);
  return answer;
}

cJSON* do_vemo_file_list_dir(const cJSON*, const cJSON* options) {
  const char* folder = json_get_string(options, "dir_path");
  bool recursive = cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(options, "is_recursive"));
  std::wstring folder_w = utf8_to_wstring(folder);
  vemo::JsonPtr data(cJSON_CreateArray());
  // An empty folder name would list the current folder.
  OpResult result = folder_w.empty() ? make_op_result(kFileOpPathNotExists, file_op_msg::kPathNotExists)
                                     : vemo_list_dir_w(folder_w, folder_w, recursive, data.get());
  cJSON* answer = cJSON_CreateObject();
  if (!result.success) {
    cJSON_AddNumberToObject(answer, "code", result.code);
    cJSON_AddStringToObject(answer, "msg", result.message.c_str());
    return answer;
  }
  vemo_debug_printf("do_vemo_file_list_dir result size:%d\n", cJSON_GetArraySize(data.get()));
  cJSON_AddItemToObject(answer, "data", data.release());
  return answer;
}
