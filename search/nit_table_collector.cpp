#include "search/nit_table_collector.h"

#include <algorithm>

namespace velq {
namespace {

constexpr std::size_t kSmallestLongSection = 12;

}  // namespace

NitTableCollector::NitTableCollector(std::uint8_t tableId) : tableId_(tableId) {}

void NitTableCollector::Reset() {
  collecting_ = false;
  complete_ = false;
  missing_ = 0;
  sections_.clear();
}

void NitTableCollector::StartCollecting(std::uint16_t networkId, std::uint8_t version,
                                        std::uint8_t lastSection) {
  Reset();
  collecting_ = true;
  networkId_ = networkId;
  version_ = version;
  missing_ = std::size_t{lastSection} + 1;
  sections_.resize(missing_);
}

bool NitTableCollector::Add(std::span<const std::uint8_t> section) {
  if (section.size() < kSmallestLongSection || section[0] != tableId_) return false;
  const std::uint16_t networkId = static_cast<std::uint16_t>(section[3] << 8 | section[4]);
  const std::uint8_t version = (section[5] >> 1) & 0x1F;
  const std::uint8_t number = section[6];
  const std::uint8_t last = section[7];
  if (number > last) return false;

  const bool sameTable = collecting_ && networkId == networkId_ && version == version_ &&
                         sections_.size() == std::size_t{last} + 1;
  if (!sameTable) StartCollecting(networkId, version, last);
  if (complete_) return false;
  if (!sections_[number].empty()) {
    if (std::ranges::equal(sections_[number], section)) return false;  // a repeat
    // Same version, other contents: the version number (modulo 32) came
    // round again over lost data, or a recording was cut. What is held
    // belongs to another table: mixing them would describe none.
    StartCollecting(networkId, version, last);
  }

  sections_[number].assign(section.begin(), section.end());
  complete_ = --missing_ == 0;
  return complete_;
}

}  // namespace velq
