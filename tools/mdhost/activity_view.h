#pragma once
// The visible host window's contents: a read-only text area listing what
// the host received and called, and a status line with the running counts.

#include <windows.h>

#include <cstddef>
#include <string>

#include "tools/mdhost/host_event_log.h"

namespace mdhost {

class ActivityView {
 public:
  explicit ActivityView(HWND parent);
  // Appends the events that are new since the last call.
  void showNewEvents(const HostEventLog& log);
  void setStatus(const std::string& text);
  void layout(int width, int height);

 private:
  HWND text_;
  HWND status_;
  std::size_t shown_ = 0;
  std::string statusText_;
};

}  // namespace mdhost
