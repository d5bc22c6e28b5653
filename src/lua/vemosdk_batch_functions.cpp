#include "lua/vemosdk_batch_functions.h"

#include <cjson/cJSON.h>
#include <lua.hpp>

#include <cstdint>

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "files/file_batch.h"
#include "files/file_op_error.h"
#include "lua/script_path.h"

namespace VemoSDK::LuaBatch {

namespace {

using vemo::JsonPtr;

void answerSuccess(int64_t id) { postAsyncResult(id, R"({"succ":true})"); }

void answerBadParameters(int64_t id, const char* message) {
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddBoolToObject(result.get(), "succ", false);
  cJSON_AddStringToObject(result.get(), "msg", message);
  cJSON_AddNumberToObject(result.get(), "code", kFileOpBadParameters);
  post_file_batch_answer(id, result.get());
}

enum class ItemShape { kPathArray, kPathMap };

using Starter = void (*)(const cJSON* options, const cJSON* files, int64_t id);

struct BatchKind {
  const char* log_name;    // "_batch_copy" ...
  ItemShape shape;
  const char* empty_note;  // logged when there is nothing to do
  Starter start;
};

// The common front part: parse the option text, check and count "files",
// start the worker or answer at once.
void runBatch(int64_t id, const char* text, size_t length, const BatchKind& kind) {
  const char* error_at = nullptr;
  JsonPtr options(cJSON_ParseWithLengthOpts(text, length, &error_at, false));
  if (!options) {
    const char* rest = error_at ? error_at : "";
    vemo_debug_printf("%s Error before: %s\n", kind.log_name, rest);
    answerBadParameters(id, rest);
    return;
  }
  const cJSON* files = cJSON_GetObjectItemCaseSensitive(options.get(), "files");
  bool wants_map = kind.shape == ItemShape::kPathMap;
  bool is_list = cJSON_IsArray(files) || cJSON_IsObject(files);
  // No list, or an empty one in either brackets, is nothing to do. Items in
  // the other shape are refused: the worker would skip them one by one and
  // report a success.
  if (!files || cJSON_IsNull(files) || (is_list && cJSON_GetArraySize(files) == 0)) {
    vemo_debug_printf("%s", kind.empty_note);
    answerSuccess(id);
    return;
  }
  if (wants_map ? !cJSON_IsObject(files) : !cJSON_IsArray(files)) {
    answerBadParameters(id, wants_map ? "files must be an object of source to target paths"
                                      : "files must be an array of paths");
    return;
  }
  kind.start(options.get(), files, id);
}

// "opts" when it is an object, else null.
const cJSON* optsOf(const cJSON* options) {
  const cJSON* opts = cJSON_GetObjectItemCaseSensitive(options, "opts");
  return cJSON_IsObject(opts) ? opts : nullptr;
}

constexpr char kListEmpty[] = "list size is 0, just return succ\n";

int batchCall(lua_State* L, const BatchKind& kind) {
  int64_t id = luaL_checkinteger(L, 1);
  size_t length = 0;
  const char* text = luaL_checklstring(L, 2, &length);
  runBatch(id, text, length, kind);
  return 0;
}

}  // namespace

int listDirEx(lua_State* L) {
  int64_t id = luaL_checkinteger(L, 1);
  std::string folder = checkScriptPath(L, 2);
  vemo_file_list_dir(folder.c_str(), lua_toboolean(L, 3) != 0, id);
  return 0;
}

int batchRename(lua_State* L) {
  static const BatchKind kind = {"_batch_rename", ItemShape::kPathMap, "map size is 0, just return succ\n",
                                 [](const cJSON* options, const cJSON* files, int64_t id) {
                                   vemo_file_batch_rename(files, optsOf(options), id);
                                 }};
  return batchCall(L, kind);
}

int batchRemove(lua_State* L) {
  static const BatchKind kind = {"_batch_remove", ItemShape::kPathArray, kListEmpty,
                                 [](const cJSON* options, const cJSON* files, int64_t id) {
                                   vemo_file_batch_remove(files, optsOf(options), id);
                                 }};
  return batchCall(L, kind);
}

int batchCopy(lua_State* L) {
  static const BatchKind kind = {"_batch_copy", ItemShape::kPathMap, kListEmpty,
                                 [](const cJSON* options, const cJSON* files, int64_t id) {
                                   // Only false keeps existing targets.
                                   bool override_existing =
                                       !cJSON_IsFalse(cJSON_GetObjectItemCaseSensitive(options, "need_override"));
                                   vemo_file_batch_copy(files, optsOf(options), override_existing, id);
                                 }};
  return batchCall(L, kind);
}

int batchMd5(lua_State* L) {
  static const BatchKind kind = {"_batch_md5", ItemShape::kPathArray, kListEmpty,
                                 [](const cJSON* options, const cJSON* files, int64_t id) {
                                   const cJSON* base = cJSON_GetObjectItemCaseSensitive(options, "base_path");
                                   vemo_file_batch_md5(files, id, cJSON_IsString(base) ? base->valuestring : nullptr);
                                 }};
  return batchCall(L, kind);
}

int batchInfo(lua_State* L) {
  static const BatchKind kind = {"_batch_info", ItemShape::kPathArray, kListEmpty,
                                 [](const cJSON* options, const cJSON* files, int64_t id) {
                                   vemo_file_batch_info(files, optsOf(options), id);
                                 }};
  return batchCall(L, kind);
}

}  // namespace VemoSDK::LuaBatch
