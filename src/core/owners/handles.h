#pragma once
// Owners of kernel and find handles, C streams and malloc'd memory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace vemo {

// Owner of a handle closed by Traits::close; INVALID_HANDLE_VALUE counts as empty.
template <class Traits>
class BasicUniqueHandle {
public:
  BasicUniqueHandle() = default;
  explicit BasicUniqueHandle(HANDLE handle) { reset(handle); }
  ~BasicUniqueHandle() { reset(); }
  BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(other.release()) {}
  BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) {
    if (handle_) Traits::close(handle_);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }

private:
  HANDLE handle_ = nullptr;
};

struct KernelHandleTraits {
  static void close(HANDLE handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
  static void close(HANDLE handle) { FindClose(handle); }
};

using UniqueHandle = BasicUniqueHandle<KernelHandleTraits>;
using UniqueFindHandle = BasicUniqueHandle<FindHandleTraits>;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
// A C stream; release() it and call fclose yourself where the close result matters.
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

struct FreeDeleter {
  void operator()(void* memory) const { std::free(memory); }
};
// Memory from malloc that must go back through free.
template <class T>
using MallocPtr = std::unique_ptr<T, FreeDeleter>;

}  // namespace vemo
