#pragma once
// One running section filter: a thread of its own that delivers the PID's
// payloads from a .ts file to the plug-in's callback, paced and looping,
// until it is stopped.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "plugin/md_api.h"

namespace mdhost {

struct FeederOptions {
  std::string tsPath;
  std::chrono::milliseconds pace{1};  // pause after each payload; 0 runs flat out
  bool loop = true;                   // start over at the end of the file
};

class TsFeeder {
 public:
  // Opens the file before any thread starts, so a bad path is the caller's
  // error (std::runtime_error), not a silent thread. FIRST_ARGUMENT goes to
  // the callback's first, unused, argument.
  TsFeeder(const FeederOptions& options, std::uint16_t pid, mdapi::FilterCallback callback,
           UINT_PTR firstArgument);
  ~TsFeeder();
  TsFeeder(const TsFeeder&) = delete;
  TsFeeder& operator=(const TsFeeder&) = delete;

  // Ends the thread after the payload in hand and joins it. Call it on the
  // GUI thread: while it waits it answers messages sent to that thread.
  void stop();

  std::uint64_t deliveries() const { return deliveries_.load(); }
  // The thread ran out of payloads (end of a single pass, or a file with
  // none of the PID) and has ended by itself.
  bool exhausted() const { return exhausted_.load(); }

 private:
  void run();
  bool paceOrStop();

  FeederOptions options_;
  std::uint16_t pid_;
  mdapi::FilterCallback callback_;
  UINT_PTR firstArgument_;
  std::ifstream file_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> exhausted_{false};
  std::atomic<std::uint64_t> deliveries_{0};
  HANDLE finished_;  // manual-reset, set as the thread's last act
  std::thread thread_;
};

}  // namespace mdhost
