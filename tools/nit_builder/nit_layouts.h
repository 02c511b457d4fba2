#pragma once
// The ways broadcasts lay out the NIT on PID 0x0010, each as a recording's
// packets with the table the search must find in it. velqtp's tests, the
// plug-in's tests under Wine and the layout generator use the same list.

#include <string>
#include <vector>

#include "tools/nit_builder/nit_builder.h"

namespace velq {

struct NitLayout {
  std::string Name;                     // a file name stem: "packed-sections"
  std::string Description;              // one line
  std::vector<TsPacket> Packets;        // PID 0x0010 only, in sending order
  std::vector<Transponder> Expected;    // the table's transponders: one entry each
  std::string ListFile;                 // "0192.ini"
  // False when packets carry adaptation fields: a host hands on whole
  // payloads, so such packets cannot reach the plug-in as they are.
  bool HostDeliverable = true;
};

// The same layouts, byte for byte, on every call.
std::vector<NitLayout> BuildNitLayouts();

// The expectation file the generator writes beside NAME.ts, NAME.expected:
//   list-file 0192.ini
//   host-deliverable yes|no
//   entry 11727,V,27500,34,DVB-S,QPSK      (one line per entry, ascending)
std::string ExpectationText(const NitLayout& layout);

}  // namespace velq
