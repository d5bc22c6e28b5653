#pragma once
// The patch plug-in's module: loaded once for the process, never unloaded.
#include <windows.h>

// The module, loading it on the first call; null when it does not load, and
// then the next call tries again.
HMODULE patch_plugin_module();
