#pragma once
// Takes the parser's entries into a check list and keeps its satellite line:
// what velqtp makes of the actual network's table and of each other one.

#include <string>

#include "search/nit_parser.h"
#include "search/vector_check_list.h"

namespace velq {

class CheckListSink : public NitEntrySink {
 public:
  CheckListSink(VectorCheckList& list, std::string& satelliteLine)
      : list_(list), satelliteLine_(satelliteLine) {}
  void AddCheckedEntry(const std::string& text) override { list_.Add(text, true); }
  void SetSatelliteLine(const std::string& text) override { satelliteLine_ = text; }

 private:
  VectorCheckList& list_;
  std::string& satelliteLine_;
};

}  // namespace velq
