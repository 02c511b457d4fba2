#pragma once
// What the parser finds, handed from the thread that delivers the NIT to the
// thread that owns the search window. The parser queues every result of a
// table before the capture sets SearchDone, so a poll that reads the flag
// first and then takes the queue has every result of a finished search.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "search/nit_parser.h"

namespace velq {

struct ParserResult {
  enum Kind { kEntry, kSatelliteLine } kind;
  std::string text;
  bool operator==(const ParserResult&) const = default;
};

class ParserResultQueue : public NitEntrySink {
 public:
  // `wake` is called on the parser's thread, with the queue locked, when a
  // result lands in an empty queue: one wake-up per batch.
  void SetWake(std::function<void()> wake);
  // Everything queued so far, in the order the parser produced it.
  std::vector<ParserResult> Take();

  void AddCheckedEntry(const std::string& text) override;
  void SetSatelliteLine(const std::string& text) override;

 private:
  void Queue(ParserResult result);

  std::mutex mutex_;
  std::vector<ParserResult> queue_;
  std::function<void()> wake_;
};

// One poll of a search from the window's thread.
struct SearchPoll {
  std::vector<ParserResult> results;  // to show now
  bool finished = false;              // the search ended before they were taken
};

// Reads `searchDone` before it takes the results: a parse that ends between
// the two steps leaves its last results for the next poll, never behind a
// finished search.
SearchPoll PollSearch(const std::function<bool()>& searchDone,
                      const std::function<std::vector<ParserResult>()>& takeResults);

}  // namespace velq
