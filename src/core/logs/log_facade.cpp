#include "core/logs/log_facade.h"

#include <cstring>

#include "core/debug_log.h"
#include "core/logs/file_log_storage.h"
#include "core/logs/log_json.h"

namespace vemo::logs {

const char* const kLevelDebug = "DBG";
const char* const kLevelInfo = "INF";
const char* const kLevelWarn = "WAR";
const char* const kLevelError = "ERR";

namespace {

struct LevelName {
  const char* name;
  int number;
  const char* tag;
};

constexpr LevelName kLevels[] = {
    {"debug", 4, "DBG"}, {"info", 3, "INF"}, {"warn", 2, "WAR"}, {"error", 1, "ERR"}, {"none", 0, "NON"},
};

const LevelName* find_level(const char* name) {
  if (!name) return nullptr;
  for (const LevelName& level : kLevels)
    if (std::strcmp(level.name, name) == 0) return &level;
  return nullptr;
}

// Adds the text parsed as JSON; a text that does not parse is left out.
void add_parsed(cJSON* record, const char* key, const char* text) {
  if (!text) return;
  if (cJSON* parsed = cJSON_Parse(text)) cJSON_AddItemToObject(record, key, parsed);
}

void add_text(cJSON* record, const char* key, const char* text) {
  if (text) cJSON_AddStringToObject(record, key, text);
}

}  // namespace

VemoLogFacade::VemoLogFacade(FileLogStorage& storage) : storage_(storage) {}

VemoLogFacade& VemoLogFacade::getInstance() {
  // Never destroyed: static destructors of others may still log.
  static VemoLogFacade* const facade = new VemoLogFacade(FileLogStorage::getInstance());
  return *facade;
}

int VemoLogFacade::commit(const char* level_tag, const char* tag, const char* message, const char* module,
                          const char* tags, const char* args, const char* extra) {
  int echoed = vemo_debug_printf("%s:%s", level_tag ? level_tag : "", message ? message : "");
  if (!file_on()) return echoed;
  vemo::JsonPtr record(cJSON_CreateObject());
  if (!record) return 0;
  add_text(record.get(), "e", tag);
  add_text(record.get(), "m", message);
  cJSON_AddNumberToObject(record.get(), "ti", static_cast<double>(storage_.clock()()));
  add_text(record.get(), "mo", module ? module : "n");
  add_parsed(record.get(), "tags", tags);
  add_parsed(record.get(), "args", args);
  add_text(record.get(), "ext", extra);
  add_text(record.get(), "lv", level_tag);
  return storage_.commit_json_record(std::move(record), "");
}

void VemoLogFacade::commit_event(const char* name, const char* labels, const char* message, const char* stats) {
  if (!name) return;
  vemo_debug_printf("commitEvent: %s", name);
  vemo::JsonPtr record(cJSON_CreateObject());
  if (!record) return;
  add_text(record.get(), "e", name);
  add_parsed(record.get(), "labels", labels);
  add_text(record.get(), "msg", message);
  add_parsed(record.get(), "stats", stats);
  storage_.commit_json_record(std::move(record), "E");
}

void VemoLogFacade::configure(int console, int file, const char* level_name) {
  console_switch_ = console;
  file_switch_ = file;
  vemo_debug_set_console(console);
  if (const LevelName* level = find_level(level_name)) level_ = level->number;
}

void VemoLogFacade::log_with_level(const char* text, const char* level_name, const char* alternative) {
  if (const LevelName* level = find_level(level_name)) vemo_debug_printf("%s:%s", level->tag, text ? text : "");
  if (file_on()) storage_.commit_text_record(text, alternative);
}

void vemosdk_configure_log(int console, int file, const char* level_name) {
  VemoLogFacade::getInstance().configure(console, file, level_name);
}

void vemosdk_log_with_level(const char* text, const char* level_name, const char*, const char* alternative) {
  VemoLogFacade::getInstance().log_with_level(text, level_name, alternative);
}

void vemosdk_flush_log() { VemoLogFacade::getInstance().storage().queue_flush(); }

void vemosdk_scroll_log_file() { VemoLogFacade::getInstance().storage().queue_roll(); }

std::string vemosdk_get_log_file_infos(const cJSON* query) {
  return VemoLogFacade::getInstance().storage().get_log_file_infos(query);
}

std::string vemosdk_get_current_log_file() { return VemoLogFacade::getInstance().storage().get_current_log_file(); }

}  // namespace vemo::logs
