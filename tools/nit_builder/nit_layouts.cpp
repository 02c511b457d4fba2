#include "tools/nit_builder/nit_layouts.h"

#include <algorithm>
#include <set>

namespace velq {
namespace {

constexpr Hemisphere kEast = Hemisphere::East;
constexpr Hemisphere kWest = Hemisphere::West;

NitTable Table(std::vector<Transponder> transponders, std::size_t perSection, std::uint16_t networkId = 1,
               std::uint8_t version = 0) {
  NitTable table;
  table.NetworkId = networkId;
  table.Version = version;
  table.NetworkName = "Velq layout network";
  table.Transponders = std::move(transponders);
  table.TranspondersPerSection = perSection;
  return table;
}

NitLayout Layout(std::string name, std::string description, std::vector<TsPacket> packets,
                 const NitTable& table, bool hostDeliverable = true) {
  NitLayout layout{std::move(name), std::move(description), std::move(packets), table.Transponders,
                   ExpectedListFileName(table.Transponders.back()), hostDeliverable};
  return layout;
}

// Sections sent one to a payload, pointer_field 0, the rest 0xFF.
std::vector<TsPacket> OnePerPayload(const std::vector<SectionBytes>& sections, int repetitions) {
  SectionCarrier carrier;
  for (int r = 0; r < repetitions; ++r) {
    for (const SectionBytes& section : sections) {
      carrier.Pack(section);
      carrier.EndPayload();
    }
  }
  return carrier.Take();
}

// The index of the first packet after `skip` packets that continues a section.
std::size_t ContinuationPacket(const std::vector<TsPacket>& packets, std::size_t skip) {
  for (std::size_t i = skip; i < packets.size(); ++i) {
    if ((packets[i][1] & 0x40) == 0 && (packets[i][3] & 0x10) != 0) return i;
  }
  return packets.size() - 1;
}

NitLayout Baseline() {
  const NitTable table = Table(TransponderBand(18, 10714, 192, kEast), 4);
  return Layout("one-section-per-payload", "each section starts a payload, pointer_field 0",
                OnePerPayload(BuildNitSections(table), 2), table);
}

// As recorded on 19.2E: a stuffing section fills a packet and spills 93
// bytes into the next, whose pointer_field 0x5D points at section 0; small
// sections share payloads.
NitLayout PackedSections() {
  const NitTable table = Table(TransponderBand(16, 10729, 192, kEast), 2);
  const std::vector<SectionBytes> sections = BuildNitSections(table);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) {
    carrier.Pack(BuildStuffingSection(183 + 93));
    carrier.Pack(sections);
  }
  return Layout("packed-sections", "sections back to back: pointer_field 0x5D after a stuffing section, "
                "several sections per payload", carrier.Take(), table);
}

// 15 sections of about 1 KB: service_list and channel-number descriptors
// beside the delivery descriptor of each transport stream.
NitLayout LargeTable() {
  const NitTable table = Table(TransponderBand(150, 10700, 282, kEast, 10), 10);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) carrier.Pack(BuildNitSections(table));
  return Layout("large-table", "15 sections of about 1 KB, service lists beside each delivery descriptor",
                carrier.Take(), table);
}

// NIT other of three networks, section by section between ours.
NitLayout NitOtherInterleaved() {
  const NitTable ours = Table(TransponderBand(20, 10758, 130, kEast), 5, 0x013E);
  std::vector<std::vector<SectionBytes>> others;
  const std::uint16_t otherPositions[] = {192, 282, 300};
  for (std::uint16_t n = 0; n < 3; ++n) {
    NitTable other = Table(TransponderBand(12 + 4 * n, 11000 + 50u * n, otherPositions[n], n == 2 ? kWest : kEast), 4,
                           static_cast<std::uint16_t>(0x0100 + n), static_cast<std::uint8_t>(n + 1));
    other.TableId = 0x41;
    others.push_back(BuildNitSections(other));
  }
  const std::vector<SectionBytes> sections = BuildNitSections(ours);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) {
    for (std::size_t i = 0; i < 6; ++i) {
      for (const auto& other : others) {
        if (i < other.size()) carrier.Pack(other[i]);
      }
      if (i < sections.size()) carrier.Pack(sections[i]);
    }
  }
  return Layout("nit-other-interleaved", "NIT other (0x41) of three networks between our sections",
                carrier.Take(), ours);
}

NitLayout StuffingTables() {
  const NitTable table = Table(TransponderBand(24, 10773, 70, kWest), 5);
  const std::size_t stuffing[] = {40, 300, 1024, 3, 184};
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) {
    std::size_t i = 0;
    for (const SectionBytes& section : BuildNitSections(table)) {
      carrier.Pack(BuildStuffingSection(stuffing[i++ % 5]));
      carrier.Pack(section);
    }
  }
  return Layout("stuffing-tables", "stuffing sections (0x72) of several sizes between the NIT sections",
                carrier.Take(), table);
}

// Three sections of version 3, then version 4 with other transponders in as
// many sections: only the version tells the two tables' sections apart.
NitLayout VersionChange() {
  const NitTable before = Table(TransponderBand(20, 10700, 90, kEast), 4, 1, 3);
  const NitTable after = Table(TransponderBand(17, 10703, 90, kEast), 4, 1, 4);
  const std::vector<SectionBytes> old = BuildNitSections(before);
  SectionCarrier carrier;
  carrier.Pack({old[0], old[1], old[2]});
  for (int r = 0; r < 2; ++r) carrier.Pack(BuildNitSections(after));
  return Layout("version-change", "version 3 stops after three sections, version 4 follows", carrier.Take(),
                after);
}

// One packet of the first repetition lost inside a section, a stuffing
// section after it.
NitLayout LostPacket() {
  const NitTable table = Table(TransponderBand(24, 10787, 48, kEast), 8);
  const std::vector<SectionBytes> sections = BuildNitSections(table);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) {
    for (const SectionBytes& section : sections) {
      carrier.Pack(section);
      carrier.Pack(BuildStuffingSection(150));
    }
  }
  std::vector<TsPacket> packets = carrier.Take();
  DropPacket(packets, ContinuationPacket(packets, 1));
  return Layout("lost-packet", "a continuity gap inside a section, a stuffing section after it",
                std::move(packets), table);
}

NitLayout AdaptationFields() {
  const NitTable table = Table(TransponderBand(30, 10801, 160, kEast), 6);
  SectionCarrier carrier({.AdaptationEvery = 3, .AdaptationLength = 7, .AdaptationOnlyEvery = 4});
  for (int r = 0; r < 2; ++r) carrier.Pack(BuildNitSections(table));
  return Layout("adaptation-fields", "adaptation fields before payloads (control 3) and without payload (2)",
                carrier.Take(), table, false);
}

// Service 0x430B: its bytes and the services after it read as a delivery
// descriptor of 11.234 GHz at 11.1E, inside the service list.
NitLayout FalseDescriptor() {
  std::vector<Transponder> transponders = TransponderBand(12, 10815, 8, kWest, 3);
  transponders[5].ServiceIds = {0x430B, 0x1234, 0x0111, 0x2750, 0x0300};
  transponders.back().ServiceIds = {0x430B, 0x1234, 0x0111, 0x2750, 0x0300};
  const NitTable table = Table(transponders, 4);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) carrier.Pack(BuildNitSections(table));
  return Layout("service-id-430b", "the bytes 43 0B inside a service_list descriptor", carrier.Take(), table);
}

// Sections 1, 0, 2, each over two payloads; a packet of section 0 lost in
// the first repetition.
NitLayout OutOfOrder() {
  const NitTable table = Table(TransponderBand(30, 10829, 235, kEast), 10);
  const std::vector<SectionBytes> sections = BuildNitSections(table);
  std::vector<TsPacket> packets = OnePerPayload({sections[1], sections[0], sections[2]}, 2);
  const std::size_t sectionZero = ContinuationPacket(packets, 0) + 1;  // section 1 ends, section 0 starts
  DropPacket(packets, sectionZero + 1);
  return Layout("out-of-order", "sections 1, 0, 2; one packet of section 0 lost once", std::move(packets),
                table);
}

NitLayout DuplicatePackets() {
  const NitTable table = Table(TransponderBand(24, 10843, 360, kEast), 6);
  SectionCarrier carrier;
  for (int r = 0; r < 2; ++r) carrier.Pack(BuildNitSections(table));
  std::vector<TsPacket> packets = carrier.Take();
  for (std::size_t i : {5u, 3u, 0u}) DuplicatePacket(packets, i);
  return Layout("duplicate-packets", "packets sent twice with the same continuity counter", std::move(packets),
                table);
}

NitLayout TransportErrors() {
  const NitTable table = Table(TransponderBand(24, 10857, 420, kEast), 6);
  SectionCarrier carrier;
  for (int r = 0; r < 3; ++r) carrier.Pack(BuildNitSections(table));
  std::vector<TsPacket> packets = carrier.Take();
  for (std::size_t i : {0u, 2u, 5u}) DamagePacket(packets, i);
  return Layout("transport-errors", "damaged packets flagged by transport_error_indicator", std::move(packets),
                table);
}

}  // namespace

std::vector<NitLayout> BuildNitLayouts() {
  return {Baseline(),        PackedSections(), LargeTable(),       NitOtherInterleaved(),
          StuffingTables(),  VersionChange(),  LostPacket(),       AdaptationFields(),
          FalseDescriptor(), OutOfOrder(),     DuplicatePackets(), TransportErrors()};
}

std::string ExpectationText(const NitLayout& layout) {
  std::set<std::string> entries;
  for (const Transponder& t : layout.Expected) entries.insert(ExpectedEntryText(t));
  std::string text = "list-file " + layout.ListFile + "\nhost-deliverable " +
                     (layout.HostDeliverable ? "yes" : "no") + "\n";
  for (const std::string& entry : entries) text += "entry " + entry + "\n";
  return text;
}

}  // namespace velq
