#pragma once
// Owner of one COM interface reference, released when it goes. It takes
// over the reference it is given; it never adds one.
#include <memory>

namespace vemo {

struct ComReleaser {
  template <class T>
  void operator()(T* pointer) const {
    pointer->Release();
  }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComReleaser>;

}  // namespace vemo
