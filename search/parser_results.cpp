#include "search/parser_results.h"

namespace velq {

void ParserResultQueue::SetWake(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(mutex_);
  wake_ = std::move(wake);
}

std::vector<ParserResult> ParserResultQueue::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<ParserResult> taken;
  taken.swap(queue_);
  return taken;
}

void ParserResultQueue::AddCheckedEntry(const std::string& text) {
  Queue({ParserResult::kEntry, text});
}

void ParserResultQueue::SetSatelliteLine(const std::string& text) {
  Queue({ParserResult::kSatelliteLine, text});
}

void ParserResultQueue::Queue(ParserResult result) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool wake = queue_.empty();
  queue_.push_back(std::move(result));
  if (wake && wake_) wake_();
}

SearchPoll PollSearch(const std::function<bool()>& searchDone,
                      const std::function<std::vector<ParserResult>()>& takeResults) {
  SearchPoll poll;
  poll.finished = searchDone();
  poll.results = takeResults();
  return poll;
}

}  // namespace velq
