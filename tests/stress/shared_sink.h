#pragma once
// The search window's list as the stress test sees it: the parser adds on
// the host's thread, the "GUI" thread reads and clears.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "search/nit_parser.h"

namespace velq::stress {

class SharedSink : public NitEntrySink {
 public:
  void AddCheckedEntry(const std::string& text) override {
    std::lock_guard lock(mutex_);
    entries_.push_back(text);
    ++added_;
  }
  void SetSatelliteLine(const std::string& text) override {
    std::lock_guard lock(mutex_);
    line_ = text;
  }

  // "Clear all": the list goes, the count of entries ever added stays.
  void Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    line_.clear();
  }
  std::uint64_t Added() const {
    std::lock_guard lock(mutex_);
    return added_;
  }
  std::vector<std::string> Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
  std::string line_;
  std::uint64_t added_ = 0;
};

}  // namespace velq::stress
