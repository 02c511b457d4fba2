#include "plugin/host_link.h"

#include <cstring>

#include "plugin/plugin_module.h"

namespace velq {

HostLink& HostLink::Instance() {
  static HostLink link;
  return link;
}

void HostLink::StartNitFilter(mdapi::FilterCallback callback) {
  const PluginModule& module = PluginModule::Instance();
  // Offsets 0..37 and the callback are rewritten before every start; the
  // padding and RunningId belong to the host.
  FilterRec.DllId = static_cast<WORD>(module.DllId & 0xFFFF);
  FilterRec.FilterId = 1;
  FilterRec.Pid = 0x0010;
  std::memset(FilterRec.Name, 0, sizeof FilterRec.Name);
  std::memcpy(FilterRec.Name, "NIT", 3);
  FilterRec.Callback = callback;
  SendMessageA(module.HostWnd, mdapi::kMsgHost, mdapi::kCmdStartFilter,
               reinterpret_cast<LPARAM>(&FilterRec));
}

void HostLink::StopNitFilter() {
  SendMessageA(PluginModule::Instance().HostWnd, mdapi::kMsgHost, mdapi::kCmdStopFilter,
               reinterpret_cast<LPARAM>(&FilterRec.RunningId));
}

}  // namespace velq
