#include "core/program_relative.h"

#include "core/path_utils.h"
#include "core/sdk_context.h"

std::string vemosdk_program_dir() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return context ? context->program_dir : get_program_dir();
}

std::string in_program_folder(const std::string& path) {
  return is_relative_path(path) ? vemosdk_program_dir() + path : path;
}
