#include "cli/nit_other_networks.h"

#include "cli/check_list_sink.h"
#include "cli/nit_network_name.h"

namespace velq {
namespace {

constexpr std::size_t kSmallestLongSection = 12;

std::size_t HeldBytes(const NitTableCollector& collector) {
  std::size_t bytes = 0;
  for (const auto& section : collector.Sections()) bytes += section.size();
  return bytes;
}

}  // namespace

NitOtherNetworks::NitOtherNetworks()
    : splitter_([this](std::span<const std::uint8_t> section) { OnSection(section); }) {}

void NitOtherNetworks::Push(std::span<const std::uint8_t> payload, bool unitStart) {
  splitter_.Push(payload, unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
}

void NitOtherNetworks::Discontinuity() { splitter_.Discontinuity(); }

std::vector<std::string> NitOtherNetworks::BoundNotes() const {
  std::vector<std::string> notes;
  if (networkBoundHit_)
    notes.push_back("NIT other: the stream names more than " + std::to_string(kMaxOtherNetworks) +
                    " networks; the sections of the others were ignored");
  if (byteBoundHit_)
    notes.push_back("NIT other: the tables held reached " + std::to_string(kMaxOtherSectionBytes >> 20) +
                    " MB; later sections were ignored, so some tables may have stayed incomplete");
  return notes;
}

void NitOtherNetworks::OnSection(std::span<const std::uint8_t> section) {
  if (section.size() < kSmallestLongSection || section[0] != kNitOtherTableId) return;
  const auto networkId = static_cast<std::uint16_t>(section[3] << 8 | section[4]);
  auto known = networks_.find(networkId);
  if (known == networks_.end()) {
    if (networks_.size() >= kMaxOtherNetworks) {
      networkBoundHit_ = true;
      return;
    }
    known = networks_.try_emplace(networkId).first;
    known->second.networkId = networkId;
  }
  OtherNetwork& network = known->second;
  if (network.complete) return;
  // At most what is held now plus this section, whatever the collector keeps.
  if (sectionBytes_ + section.size() > kMaxOtherSectionBytes) {
    byteBoundHit_ = true;
    return;
  }

  NitTableCollector& collector = collectors_.try_emplace(networkId, kNitOtherTableId).first->second;
  const std::size_t heldBefore = HeldBytes(collector);
  const bool complete = collector.Add(section);
  sectionBytes_ = sectionBytes_ - heldBefore + HeldBytes(collector);
  if (!complete) return;
  network.complete = true;
  network.name = NetworkNameOf(collector.Sections());
  CheckListSink sink(network.list, network.satelliteLine);
  // Satellite lines use a point, as the actual's do in velqtp.
  ParseNitBuffer(collector.Sections(), network.position, sink, '.');
  collectors_.erase(networkId);
}

}  // namespace velq
