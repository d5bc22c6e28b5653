#include "core/sdk_context.h"

#include <lua.hpp>

#include <mutex>
#include <vector>

#include "core/debug_log.h"
#include "core/dir_tree.h"
#include "core/file_utils.h"
#include "core/link_check.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/program_relative.h"
#include "core/sdk_paths.h"
#include "core/sdkconfig.h"
#include "core/string_utils.h"
#include "core/text_convert.h"

namespace {

std::mutex g_context_lock;  // guards the pointer only; contexts never change once published
VemoSDKContextPtr g_context;

void parser_config_json(VemoSDKContext& context, const std::string& sdkconfig_path) {
  std::string path;
  if (!sdkconfig_path.empty()) {
    vemo_debug_printf("parser config json, use sdkconfig path \n");
    path = sdkconfig_path;
  } else {
    vemo_debug_printf("parser config json, use program_dir \n");
    path = context.program_dir + "sdkconfig.json";
  }
  vemo_debug_printf("json_path: %s \n", path.c_str());
  context.config = vemo::JsonPtr(load_json_file(utf8_to_wstring(path)));
  if (!context.config) {
    vemo_debug_printf("[error] json_cfg is NULL, load sdkconfig fail");
    vemo_debug_printf("[error] parser_config_json data error \n");
    return;
  }
  const cJSON* game_id = cJSON_GetObjectItemCaseSensitive(context.config.get(), "game_id");
  if (!cJSON_IsString(game_id)) {
    vemo_debug_printf("no game_id, goto end \n");
    vemo_debug_printf("[error] parser_config_json data error \n");
    return;
  }
  context.game_id = game_id->valuestring;
  vemo_debug_printf("game_id: %s \n", context.game_id.c_str());
  const cJSON* package = cJSON_GetObjectItemCaseSensitive(context.config.get(), "package_name");
  if (cJSON_IsString(package)) {
    context.package_name = package->valuestring;
    vemo_debug_printf("has package:%s \n", context.package_name.c_str());
  }
}

// Creates a folder with its missing parents (an existing one is fine) and
// gives its UTF-8 form.
std::string make_folder(const std::wstring& folder) {
  create_dirs_for_path_w(folder + L"\\");
  return wstring_to_utf8(folder);
}

// A name from a script that may become a folder removed recursively: only
// plain relative components, none of them made of dots alone.
bool is_plain_relative_folder(const std::string& sub_dir) {
  if (sub_dir.empty() || sub_dir.find(':') != std::string::npos || sub_dir[0] == '\\' || sub_dir[0] == '/')
    return false;
  std::string normalised = sub_dir;
  for (char& c : normalised)
    if (c == '/') c = '\\';
  for (const std::string& part : split_string(normalised, "\\")) {
    if (part.empty()) continue;
    if (part.find_first_not_of(". ") == std::string::npos) return false;
  }
  return true;
}

bool is_strictly_inside(const std::wstring& path, const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  return path.size() > base.size() &&
         CompareStringOrdinal(path.c_str(), static_cast<int>(base.size()), base.c_str(),
                              static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

VemoSDKContextPtr build_sdk_context(const std::string& program_dir, const std::string& sdkconfig_path,
                                    const char* app_version, const char* init_args) {
  auto context = std::make_shared<VemoSDKContext>();
  context->program_data_dir = program_dir;
  context->program_dir = program_dir;
  context->app_version = app_version ? app_version : "";
  parser_config_json(*context, sdkconfig_path);
  std::wstring private_dir;
  if (vemo_path_append(utf8_to_wstring(context->program_data_dir), L"vemo", private_dir))
    context->program_private_dir = make_folder(private_dir);
  context->init_args = init_args ? init_args : "";
  return context;
}

void vemosdk_create_context(HWND window, const char* app_version, const char* init_args) {
  (void)window;  // the host window is kept by start-up itself
  vemosdk_set_context(build_sdk_context(get_program_dir(), vemosdk_get_sdkconfig_path(), app_version, init_args));
}

void vemosdk_set_context(VemoSDKContextPtr context) {
  std::lock_guard<std::mutex> lock(g_context_lock);
  g_context = std::move(context);
}

VemoSDKContextPtr vemosdk_get_context() {
  std::lock_guard<std::mutex> lock(g_context_lock);
  return g_context;
}

bool set_custom_sub_dir(const std::string& sub_dir, int rm_sub_dir_on_start) {
  VemoSDKContextPtr current = vemosdk_get_context();
  if (!current) return false;
  std::wstring program_dir = utf8_to_wstring(current->program_dir);
  std::wstring data_dir = utf8_to_wstring(current->program_data_dir);
  std::wstring path;
  if (!is_plain_relative_folder(sub_dir) || !vemo_path_append(program_dir, utf8_to_wstring(sub_dir), path) ||
      !is_strictly_inside(path, data_dir) || passes_through_link(data_dir, path)) {
    vemo_debug_printf("set_custom_sub_dir refused sub_dir:%s\n", sub_dir.c_str());
    return false;
  }
  std::string shown = wstring_to_utf8(path);
  vemo_debug_printf("set_custom_sub_dir path:%s, sub_dir:%s, rm_sub_dir_on_start:%d\n", shown.c_str(),
                    sub_dir.c_str(), rm_sub_dir_on_start);
  if (rm_sub_dir_on_start == 1) {
    if (file_exists(path)) {
      vemo_debug_printf("program_private_dir sub dir exists, now begin remove = %s\n", shown.c_str());
      if (DWORD error = remove_directory_tree(path, true))
        vemo_debug_printf("program_private_dir remove failed, error %lu\n", static_cast<unsigned long>(error));
    } else {
      vemo_debug_printf("program_private_dir sub dir not exist : %s\n", shown.c_str());
    }
  } else {
    vemo_debug_printf("program_private_dir no need remove, sub dir:%s\n", shown.c_str());
  }
  auto moved = std::make_shared<VemoSDKContext>(*current);
  moved->program_private_dir = make_folder(path);
  vemo_debug_printf("program_private_dir update path result:%s\n", moved->program_private_dir.c_str());
  vemosdk_set_context(std::move(moved));
  return true;
}

std::string vemosdk_get_resources_path() {
  return vemosdk_get_resources_path_or(vemosdk_program_dir);
}

std::string vemosdk_get_paths() {
  VemoSDKContextPtr context = vemosdk_get_context();
  std::vector<wchar_t> current(kMaxLongPath, L'\0');
  DWORD n = GetCurrentDirectoryW(kMaxLongPath, current.data());
  std::string current_dir = n && n < static_cast<DWORD>(kMaxLongPath) ? wstring_to_utf8(current.data()) : "";
  vemo::JsonPtr paths(cJSON_CreateObject());
  cJSON_AddStringToObject(paths.get(), "program_dir", context ? context->program_dir.c_str() : "");
  cJSON_AddStringToObject(paths.get(), "program_data_dir", context ? context->program_data_dir.c_str() : "");
  cJSON_AddStringToObject(paths.get(), "program_private_dir", context ? context->program_private_dir.c_str() : "");
  cJSON_AddStringToObject(paths.get(), "program_current_dir", current_dir.c_str());
  return vemo::json_text(paths.get(), true, "{}");
}

cJSON* sdk_infos_of(const cJSON* config) {
  cJSON* infos = cJSON_CreateObject();
  const cJSON* sdks = config ? cJSON_GetObjectItemCaseSensitive(config, "sdks") : nullptr;
  if (!infos || !cJSON_IsArray(sdks)) return infos;
  const cJSON* entry = nullptr;
  cJSON_ArrayForEach(entry, sdks) {
    const cJSON* name = cJSON_GetObjectItemCaseSensitive(entry, "name");
    if (cJSON_IsObject(entry) && cJSON_IsString(name))
      cJSON_AddItemReferenceToObject(infos, name->valuestring, const_cast<cJSON*>(entry));
  }
  return infos;
}

const cJSON* sdk_meta_of(const cJSON* config, const char* name) {
  const cJSON* sdks = config && name ? cJSON_GetObjectItemCaseSensitive(config, "sdks") : nullptr;
  if (!cJSON_IsArray(sdks)) return nullptr;
  const cJSON* entry = nullptr;
  cJSON_ArrayForEach(entry, sdks) {
    const cJSON* entry_name = cJSON_GetObjectItemCaseSensitive(entry, "name");
    if (cJSON_IsString(entry_name) && std::string(entry_name->valuestring) == name) {
      const cJSON* meta = cJSON_GetObjectItemCaseSensitive(entry, "meta");
      return cJSON_IsObject(meta) ? meta : nullptr;
    }
  }
  return nullptr;
}

int vemosdk_push_sdk_info(lua_State* L) {
  VemoSDKContextPtr context = vemosdk_get_context();
  VemoSDKContext empty;
  const VemoSDKContext& c = context ? *context : empty;
  lua_createtable(L, 0, 5);
  const std::pair<const char*, const std::string*> fields[] = {
      {"program_data_dir", &c.program_data_dir}, {"program_private_dir", &c.program_private_dir},
      {"program_dir", &c.program_dir},           {"app_version", &c.app_version},
      {"init_args", &c.init_args},
  };
  for (const auto& [key, value] : fields) {
    lua_pushlstring(L, value->data(), value->size());
    lua_setfield(L, -2, key);
  }
  return 1;
}
