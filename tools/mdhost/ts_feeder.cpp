#include "tools/mdhost/ts_feeder.h"

#include <stdexcept>

#include "tools/mdhost/message_pump.h"
#include "tools/mdhost/ts_payload_reader.h"

namespace mdhost {

TsFeeder::TsFeeder(const FeederOptions& options, std::uint16_t pid, mdapi::FilterCallback callback,
                   UINT_PTR firstArgument)
    : options_(options), pid_(pid), callback_(callback), firstArgument_(firstArgument) {
  if (callback_ == nullptr) throw std::runtime_error("the filter record has no callback");
  file_.open(options_.tsPath, std::ios::binary);
  if (!file_) throw std::runtime_error("cannot open " + options_.tsPath);
  finished_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (finished_ == nullptr) throw std::runtime_error("cannot create an event");
  thread_ = std::thread([this] { run(); });
}

TsFeeder::~TsFeeder() {
  stop();
  CloseHandle(finished_);
}

void TsFeeder::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
  // The callback may be sending to a window of this thread right now; a
  // plain join would wait for it forever.
  waitAnsweringSentMessages(finished_);
  thread_.join();
}

bool TsFeeder::paceOrStop() {
  if (options_.pace.count() <= 0) return !stopRequested_;
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, options_.pace, [this] { return stopRequested_.load(); });
}

void TsFeeder::run() {
  TsPayloadReader reader(file_, pid_);
  TsPayload payload;
  bool deliveredThisPass = false;
  while (!stopRequested_) {
    if (!reader.next(payload)) {
      // Looping a file without the PID would only burn a core.
      if (!options_.loop || !deliveredThisPass) break;
      deliveredThisPass = false;
      reader.rewind();
      continue;
    }
    callback_(firstArgument_, static_cast<int>(payload.size()), payload.data());
    deliveries_.fetch_add(1);
    deliveredThisPass = true;
    if (!paceOrStop()) break;
  }
  if (!stopRequested_) exhausted_ = true;
  SetEvent(finished_);
}

}  // namespace mdhost
