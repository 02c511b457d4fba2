#include "cli/nit_other_networks.h"

#include "cli/check_list_sink.h"
#include "cli/nit_network_name.h"

namespace velq {
namespace {

constexpr std::size_t kSmallestLongSection = 12;

}  // namespace

NitOtherNetworks::NitOtherNetworks()
    : splitter_([this](std::span<const std::uint8_t> section) { OnSection(section); }) {}

void NitOtherNetworks::Push(std::span<const std::uint8_t> payload, bool unitStart) {
  splitter_.Push(payload, unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
}

void NitOtherNetworks::Discontinuity() { splitter_.Discontinuity(); }

void NitOtherNetworks::OnSection(std::span<const std::uint8_t> section) {
  if (section.size() < kSmallestLongSection || section[0] != kNitOtherTableId) return;
  const auto networkId = static_cast<std::uint16_t>(section[3] << 8 | section[4]);
  OtherNetwork& network = networks_[networkId];
  network.networkId = networkId;
  if (network.complete) return;

  NitTableCollector& collector = collectors_.try_emplace(networkId, kNitOtherTableId).first->second;
  if (!collector.Add(section)) return;
  network.complete = true;
  network.name = NetworkNameOf(collector.Sections());
  CheckListSink sink(network.list, network.satelliteLine);
  // Satellite lines use a point, as the actual's do in velqtp.
  ParseNitBuffer(collector.Sections(), network.position, sink, '.');
  collectors_.erase(networkId);
}

}  // namespace velq
