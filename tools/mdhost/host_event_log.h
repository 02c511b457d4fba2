#pragma once
// What the host received from the plug-in and what it called in it, in
// order, for tests to check and for mdhost.exe to show.

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plugin/md_api.h"

namespace mdhost {

enum class HostEventKind {
  StartFilter,    // WM_USER 0x01020020 received
  StopFilter,     // WM_USER 0x01020021 received
  OtherMessage,   // any other WM_USER message: the plug-in should send none
  PluginCall,     // the host called an export (detail: its name)
  Problem,        // something the host could not do (detail: why)
};

struct HostEvent {
  HostEventKind kind = HostEventKind::Problem;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // StartFilter: the record's bytes as the plug-in sent them, before the
  // host wrote its RunningId; empty when LPARAM was null.
  std::optional<mdapi::TStartFilterRec> record;
  // StartFilter: the id assigned; StopFilter: the id read through LPARAM.
  UINT_PTR runningId = 0;
  // StartFilter: whether a feeder thread now delivers payloads.
  bool feeding = false;
  std::string detail;
};

// One line of text for people.
std::string describe(const HostEvent& event);

class HostEventLog {
 public:
  void add(HostEvent event);
  std::vector<HostEvent> snapshot() const;
  // Events from index FIRST on; lets a viewer show only what is new.
  std::vector<HostEvent> since(std::size_t first) const;
  std::size_t size() const;
  std::size_t count(HostEventKind kind) const;

 private:
  mutable std::mutex mutex_;
  std::vector<HostEvent> events_;
};

}  // namespace mdhost
