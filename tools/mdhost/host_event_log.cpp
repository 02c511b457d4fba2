#include "tools/mdhost/host_event_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mdhost {
namespace {

std::string hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

std::string recordText(const mdapi::TStartFilterRec& record) {
  char name[sizeof record.Name + 1] = {};
  std::memcpy(name, record.Name, sizeof record.Name);
  return "DllId " + std::to_string(record.DllId) + ", FilterId " + std::to_string(record.FilterId) + ", Pid " +
         hex(record.Pid) + ", Name \"" + name + "\", RunningId before " + std::to_string(record.RunningId);
}

}  // namespace

std::string describe(const HostEvent& event) {
  switch (event.kind) {
    case HostEventKind::StartFilter:
      if (!event.record) return "start filter with a null record";
      return "start filter: " + recordText(*event.record) + "; assigned RunningId " +
             std::to_string(event.runningId) + (event.feeding ? ", feeding" : ", not feeding") +
             (event.detail.empty() ? "" : " (" + event.detail + ")");
    case HostEventKind::StopFilter:
      return "stop filter: RunningId " + std::to_string(event.runningId) +
             (event.detail.empty() ? "" : " (" + event.detail + ")");
    case HostEventKind::OtherMessage:
      return "unexpected WM_USER message, WPARAM " + hex(event.wParam) + ", LPARAM " +
             hex(static_cast<unsigned long long>(event.lParam));
    case HostEventKind::PluginCall:
      return "called " + event.detail;
    case HostEventKind::Problem:
      return "problem: " + event.detail;
  }
  return "?";
}

void HostEventLog::add(HostEvent event) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
}

std::vector<HostEvent> HostEventLog::snapshot() const { return since(0); }

std::vector<HostEvent> HostEventLog::since(std::size_t first) const {
  std::lock_guard lock(mutex_);
  if (first >= events_.size()) return {};
  return std::vector<HostEvent>(events_.begin() + static_cast<std::ptrdiff_t>(first), events_.end());
}

std::size_t HostEventLog::size() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

std::size_t HostEventLog::count(HostEventKind kind) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(events_.begin(), events_.end(), [kind](const HostEvent& e) { return e.kind == kind; }));
}

}  // namespace mdhost
