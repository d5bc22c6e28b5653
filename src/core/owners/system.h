#pragma once
// Owners of what Windows hands out besides kernel handles: registry keys,
// loaded modules, and memory to give back with LocalFree or CoTaskMemFree.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace vemo {

// An open registry key; out() empties it and hands its slot to
// RegOpenKeyEx or RegCreateKeyEx.
class UniqueRegKey {
public:
  UniqueRegKey() = default;
  ~UniqueRegKey() { reset(); }
  UniqueRegKey(const UniqueRegKey&) = delete;
  UniqueRegKey& operator=(const UniqueRegKey&) = delete;

  HKEY get() const { return key_; }
  HKEY* out() {
    reset();
    return &key_;
  }
  void reset() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

private:
  HKEY key_ = nullptr;
};

struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
// A module from LoadLibrary.
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
// Memory Windows allocated with LocalAlloc (FormatMessage's buffer).
template <class T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

// Out of line, so that this header does not bring in the COM headers.
struct CoTaskFreer {
  void operator()(void* memory) const;
};
// Memory from the COM task allocator (StringFromCLSID, SHGetKnownFolderPath).
template <class T>
using CoTaskPtr = std::unique_ptr<T, CoTaskFreer>;

}  // namespace vemo
