#pragma once
// The SDK context: where the program lives, which game and package it serves
// and what sdkconfig.json says. Built at each SDK start-up on the UI thread;
// readers on any thread hold a snapshot that a later start-up does not touch.
#include <windows.h>

#include <cjson/cJSON.h>

#include <memory>
#include <string>

struct lua_State;

struct VemoSDKContext {
  std::string program_dir;          // the executable's folder, trailing backslash
  std::string program_data_dir;     // the same folder
  std::string program_private_dir;  // program_data_dir + "vemo", no trailing separator
  std::string game_id;              // "game_id" of sdkconfig.json, or empty
  std::string app_version;
  std::string package_name;         // "package_name" of sdkconfig.json, or empty
  std::string init_args;
  std::shared_ptr<cJSON> config;    // the parsed sdkconfig.json; null when missing or broken
};

using VemoSDKContextPtr = std::shared_ptr<const VemoSDKContext>;

// A context for a program in program_dir (with its trailing backslash),
// reading sdkconfig_path (empty: program_dir + "sdkconfig.json"); creates the
// private folder.
VemoSDKContextPtr build_sdk_context(const std::string& program_dir, const std::string& sdkconfig_path,
                                    const char* app_version, const char* init_args);

// Start-up: replaces the live context with one built from the executable's
// folder and the stored sdkconfig path.
void vemosdk_create_context(HWND window, const char* app_version, const char* init_args);
void vemosdk_set_context(VemoSDKContextPtr context);
VemoSDKContextPtr vemosdk_get_context();  // null before the first start-up

// Moves program_private_dir to program_dir + sub_dir, first removing that
// folder when rm_sub_dir_on_start is 1. Only a relative folder strictly inside
// the program folder is taken: false (nothing touched) for an empty name,
// "..", an absolute path or a drive, a folder reached through a junction or
// symbolic link, or without a context.
bool set_custom_sub_dir(const std::string& sub_dir, int rm_sub_dir_on_start);

// The resource path; the program folder when none was set.
std::string vemosdk_get_resources_path();

// {"program_dir", "program_data_dir", "program_private_dir", "program_current_dir"} as formatted JSON.
std::string vemosdk_get_paths();

// For each "sdks" entry that is an object with a string "name", a reference to
// it under its name, in order (caller deletes; the entries stay the config's).
// An empty object when there is no "sdks" array.
cJSON* sdk_infos_of(const cJSON* config);
// The "meta" object of the first "sdks" entry of that name, or null (borrowed).
const cJSON* sdk_meta_of(const cJSON* config, const char* name);

// Pushes {program_data_dir, program_private_dir, program_dir, app_version,
// init_args} (the Lua function sdkinfo); returns 1.
int vemosdk_push_sdk_info(lua_State* L);
