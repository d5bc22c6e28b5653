// The smallest DLL the loader tests place in vendors folders: they copy it
// under the names they look for and ask the loaded module for its file name.
extern "C" __declspec(dllexport) int vendor_marker() { return 7; }
