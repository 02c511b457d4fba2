#pragma once
// What the plug-in sends to the host: the start-filter record and the two
// section-filter messages, always to the window handed over in On_Start.

#include "plugin/md_api.h"

namespace velq {

class HostLink {
 public:
  static HostLink& Instance();

  // Fills FilterRec (plug-in id, filter 1, PID 0x0010, "NIT", the callback)
  // and sends the start-filter message with its address.
  void StartNitFilter(mdapi::FilterCallback callback);
  // Sends the stop-filter message with the address of FilterRec.RunningId.
  void StopNitFilter();

  const mdapi::TStartFilterRec& filterRec() const { return FilterRec; }

 private:
  mdapi::TStartFilterRec FilterRec{};
};

}  // namespace velq
