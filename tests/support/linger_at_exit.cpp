// A DLL whose detach at process exit takes a while: the process's handles
// stay open meanwhile, as they do while a real program tears down.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved != nullptr) Sleep(1500);
  return TRUE;
}
