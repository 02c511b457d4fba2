#pragma once
// COM on the calling thread for the length of one call: the shell's folder
// dialog and urlmon need it, and the host's thread may not have it.

#include <objbase.h>

namespace velq {

class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();  // only what we started
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace velq
