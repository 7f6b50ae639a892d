// The thread's COM apartment for the life of a mode.
#pragma once

#include <objbase.h>

namespace torva {

class ComApartment {
 public:
  explicit ComApartment(DWORD flags) : initialized_(SUCCEEDED(CoInitializeEx(nullptr, flags))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace torva
