#pragma once
// Every way into the plug-in from the host runs through GuardHostCall: no
// exception, whatever its kind, may unwind into the host.

#include <utility>

namespace velq {

template <class Body>
void GuardHostCall(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
  }
}

}  // namespace velq
