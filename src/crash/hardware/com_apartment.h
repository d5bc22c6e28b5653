#pragma once
// COM on the calling thread for one scope: initialised (multithreaded) when
// the thread has no apartment yet, and uninitialised at the end only then,
// on the same thread.
#include <objbase.h>

namespace VemoSDK {

class ComApartment {
public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // COM may be used: initialised here, or the thread had its own apartment.
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return result_; }

private:
  HRESULT result_;
};

}  // namespace VemoSDK
