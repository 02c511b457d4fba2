#pragma once
// Keeps what the parser hands over, for running the search without a window.
#include <string>
#include <vector>

#include "search/nit_parser.h"

namespace velq {

struct RecordingNitSink : NitEntrySink {
  void AddCheckedEntry(const std::string& text) override { Entries.push_back(text); }
  void SetSatelliteLine(const std::string& text) override { SatelliteLines.push_back(text); }
  std::vector<std::string> Entries;
  std::vector<std::string> SatelliteLines;  // every line set, in order
};

}  // namespace velq
