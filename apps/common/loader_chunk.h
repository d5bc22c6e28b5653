#pragma once
// The Lua chunk both programs run before their entry script: it installs the
// module searcher for the script bundle, or for plain script files.
#include <string_view>

extern const std::string_view kLoaderChunk;
constexpr const char* kLoaderChunkName = "universal_loader";
