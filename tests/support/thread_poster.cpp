// A plug-in DLL for the end-to-end tests. Once loaded into a program (Lua:
// package.loadlib(path, "*")) it starts a thread of its own that posts three
// "THREAD_EVENT" tasks through the program's exported
// vemosdk_post_lua_event, from memory that stays the plug-in's.
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

using PostLuaEvent = void (*)(const char* name, int64_t id, const char* json, const void* buffer, int length);

DWORD WINAPI post_events(void*) {
  auto post = reinterpret_cast<PostLuaEvent>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "vemosdk_post_lua_event")));
  if (!post) return 1;
  char name[] = "THREAD_EVENT";
  for (int seq = 1; seq <= 3; ++seq) {
    char json[64];
    std::snprintf(json, sizeof json, "{\"seq\":%d,\"thread\":%lu}", seq, GetCurrentThreadId());
    char buffer[] = {'b', 'u', 'f', static_cast<char>('0' + seq)};
    post(name, seq, json, buffer, sizeof buffer);
    Sleep(50);
  }
  return 0;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    HANDLE thread = CreateThread(nullptr, 0, post_events, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
  }
  return TRUE;
}
