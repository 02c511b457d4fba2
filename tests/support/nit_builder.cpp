#include "tests/support/nit_builder.h"

#include <algorithm>
#include <stdexcept>

#include "tests/support/crc32.h"

namespace velq {
namespace {

constexpr std::uint8_t kNetworkNameTag = 0x40;
constexpr std::size_t kMaxSectionLength = 0x0FFF;

void AppendU16(SectionBytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

// 4 reserved bits set, then a 12-bit length.
void AppendLength12(SectionBytes& out, std::size_t length) {
  if (length > kMaxSectionLength) throw std::length_error("NIT loop longer than 4095 bytes");
  AppendU16(out, 0xF000u | static_cast<unsigned>(length));
}

SectionBytes NetworkDescriptors(const std::string& networkName) {
  SectionBytes out;
  if (networkName.empty()) return out;
  if (networkName.size() > 255) throw std::length_error("network name longer than 255 bytes");
  out.push_back(kNetworkNameTag);
  out.push_back(static_cast<std::uint8_t>(networkName.size()));
  out.insert(out.end(), networkName.begin(), networkName.end());
  return out;
}

SectionBytes TransportStreamLoop(const NitSection& section) {
  SectionBytes out;
  unsigned transportStreamId = section.FirstTransportStreamId;
  for (const Transponder& transponder : section.Transponders) {
    const std::array<std::uint8_t, 13> descriptor = EncodeSatelliteDescriptor(transponder);
    AppendU16(out, transportStreamId++ & 0xFFFFu);
    AppendU16(out, section.OriginalNetworkId);
    AppendLength12(out, descriptor.size());
    out.insert(out.end(), descriptor.begin(), descriptor.end());
  }
  return out;
}

// Payloads tagged with whether they begin a section.
struct SplitPayload {
  TsPayload Bytes;
  bool StartsSection;
};

std::vector<SplitPayload> SplitIntoPayloads(const std::vector<SectionBytes>& sections) {
  std::vector<SplitPayload> payloads;
  for (const SectionBytes& section : sections) {
    SectionBytes unit{0x00};  // pointer_field
    unit.insert(unit.end(), section.begin(), section.end());
    for (std::size_t offset = 0; offset < unit.size(); offset += 184) {
      SplitPayload payload{};
      payload.Bytes.fill(0xFF);
      const std::size_t count = std::min<std::size_t>(184, unit.size() - offset);
      std::copy_n(unit.begin() + static_cast<std::ptrdiff_t>(offset), count, payload.Bytes.begin());
      payload.StartsSection = offset == 0;
      payloads.push_back(payload);
    }
  }
  return payloads;
}

}  // namespace

SectionBytes BuildNitSection(const NitSection& section) {
  const SectionBytes networkDescriptors = NetworkDescriptors(section.NetworkName);
  const SectionBytes loop = TransportStreamLoop(section);

  SectionBytes body;  // everything after section_length, CRC excluded
  AppendU16(body, section.NetworkId);
  body.push_back(static_cast<std::uint8_t>(0xC0 | (section.Version & 0x1F) << 1 |
                                           (section.CurrentNext ? 1 : 0)));
  body.push_back(section.SectionNumber);
  body.push_back(section.LastSectionNumber);
  AppendLength12(body, networkDescriptors.size());
  body.insert(body.end(), networkDescriptors.begin(), networkDescriptors.end());
  AppendLength12(body, loop.size());
  body.insert(body.end(), loop.begin(), loop.end());

  SectionBytes out{section.TableId};
  // section_syntax_indicator 1, reserved_future_use 1, reserved 11.
  AppendLength12(out, body.size() + 4);
  out.insert(out.end(), body.begin(), body.end());
  const std::uint32_t crc = Mpeg2Crc32(out);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(crc >> shift));
  return out;
}

std::vector<SectionBytes> BuildNitSections(const NitTable& table) {
  const std::size_t perSection = std::max<std::size_t>(1, table.TranspondersPerSection);
  const std::size_t count =
      std::max<std::size_t>(1, (table.Transponders.size() + perSection - 1) / perSection);
  if (count > 256) throw std::length_error("NIT with more than 256 sections");

  std::vector<SectionBytes> sections;
  for (std::size_t number = 0; number < count; ++number) {
    NitSection section;
    section.NetworkId = table.NetworkId;
    section.Version = table.Version;
    section.NetworkName = table.NetworkName;
    section.SectionNumber = static_cast<std::uint8_t>(number);
    section.LastSectionNumber = static_cast<std::uint8_t>(count - 1);
    const std::size_t first = number * perSection;
    const std::size_t last = std::min(first + perSection, table.Transponders.size());
    section.FirstTransportStreamId = static_cast<std::uint16_t>(first + 1);
    section.Transponders.assign(table.Transponders.begin() + static_cast<std::ptrdiff_t>(first),
                                table.Transponders.begin() + static_cast<std::ptrdiff_t>(last));
    sections.push_back(BuildNitSection(section));
  }
  return sections;
}

std::vector<TsPayload> SectionsToPayloads(const std::vector<SectionBytes>& sections) {
  std::vector<TsPayload> payloads;
  for (const SplitPayload& payload : SplitIntoPayloads(sections)) payloads.push_back(payload.Bytes);
  return payloads;
}

std::vector<TsPacket> SectionsToPackets(const std::vector<SectionBytes>& sections,
                                        std::uint8_t firstCounter) {
  std::vector<TsPacket> packets;
  unsigned counter = firstCounter;
  for (const SplitPayload& payload : SplitIntoPayloads(sections)) {
    TsPacket packet{};
    packet[0] = 0x47;
    packet[1] = static_cast<std::uint8_t>((payload.StartsSection ? 0x40 : 0x00) | kNitPid >> 8);
    packet[2] = static_cast<std::uint8_t>(kNitPid & 0xFF);
    packet[3] = static_cast<std::uint8_t>(0x10 | (counter++ & 0x0F));  // payload only
    std::copy(payload.Bytes.begin(), payload.Bytes.end(), packet.begin() + 4);
    packets.push_back(packet);
  }
  return packets;
}

}  // namespace velq
