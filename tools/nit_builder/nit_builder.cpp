#include "tools/nit_builder/nit_builder.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tools/nit_builder/crc32.h"

namespace velq {
namespace {

constexpr std::uint8_t kNetworkNameTag = 0x40;
constexpr std::uint8_t kServiceListTag = 0x41;
constexpr std::uint8_t kLogicalChannelTag = 0x83;
constexpr std::uint8_t kStuffingTableId = 0x72;
constexpr std::uint8_t kDigitalTelevisionService = 0x01;
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

void AppendDescriptor(SectionBytes& out, std::uint8_t tag, const SectionBytes& body) {
  if (body.size() > 255) throw std::length_error("descriptor longer than 255 bytes");
  out.push_back(tag);
  out.push_back(static_cast<std::uint8_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

// The satellite delivery descriptor, then the service list and channel
// numbers when the transponder names services.
SectionBytes TransportStreamDescriptors(const Transponder& transponder) {
  const std::array<std::uint8_t, 13> delivery = EncodeSatelliteDescriptor(transponder);
  SectionBytes out(delivery.begin(), delivery.end());
  if (transponder.ServiceIds.empty()) return out;
  SectionBytes services, channels;
  unsigned channel = 100;
  for (std::uint16_t id : transponder.ServiceIds) {
    AppendU16(services, id);
    services.push_back(kDigitalTelevisionService);
    AppendU16(channels, id);
    AppendU16(channels, 0xFC00u | (channel++ & 0x3FFu));  // visible, 10-bit number
  }
  AppendDescriptor(out, kServiceListTag, services);
  AppendDescriptor(out, kLogicalChannelTag, channels);
  return out;
}

SectionBytes TransportStreamLoop(const NitSection& section) {
  SectionBytes out;
  unsigned transportStreamId = section.FirstTransportStreamId;
  for (const Transponder& transponder : section.Transponders) {
    const SectionBytes descriptors = TransportStreamDescriptors(transponder);
    AppendU16(out, transportStreamId++ & 0xFFFFu);
    AppendU16(out, section.OriginalNetworkId);
    AppendLength12(out, descriptors.size());
    out.insert(out.end(), descriptors.begin(), descriptors.end());
  }
  return out;
}

void SetHeader(TsPacket& packet, std::uint16_t pid, bool unitStart, unsigned control, unsigned counter) {
  packet[0] = 0x47;
  packet[1] = static_cast<std::uint8_t>((unitStart ? 0x40 : 0x00) | (pid >> 8 & 0x1F));
  packet[2] = static_cast<std::uint8_t>(pid & 0xFF);
  packet[3] = static_cast<std::uint8_t>(control << 4 | (counter & 0x0F));
}

// An adaptation field of `length` bytes after its length byte: flags 0,
// then stuffing.
void WriteAdaptationField(TsPacket& packet, std::uint8_t length) {
  packet[4] = length;
  if (length == 0) return;
  packet[5] = 0x00;
  std::fill(packet.begin() + 6, packet.begin() + 5 + length, std::uint8_t{0xFF});
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
    section.TableId = table.TableId;
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

SectionBytes BuildStuffingSection(std::size_t totalBytes) {
  if (totalBytes < 3 || totalBytes > 3 + 4093) throw std::length_error("stuffing section size out of range");
  SectionBytes out{kStuffingTableId};
  // section_syntax_indicator 0, reserved_future_use 1, reserved 11.
  AppendU16(out, 0x7000u | static_cast<unsigned>(totalBytes - 3));
  out.resize(totalBytes, 0xFF);
  return out;
}

SectionCarrier::SectionCarrier(CarrierOptions options)
    : options_(options), counter_(options.FirstCounter) {}

void SectionCarrier::Pack(const SectionBytes& section) {
  starts_.push_back(pending_.size());
  pending_.insert(pending_.end(), section.begin(), section.end());
  while (Emit(false)) {
  }
}

void SectionCarrier::Pack(const std::vector<SectionBytes>& sections) {
  for (const SectionBytes& section : sections) Pack(section);
}

void SectionCarrier::EndPayload() {
  while (Emit(true)) {
  }
}

std::vector<TsPacket> SectionCarrier::Take() {
  EndPayload();
  std::vector<TsPacket> out;
  out.swap(packets_);
  return out;
}

// Makes one packet from the front of pending_ when the bytes fill its
// payload, or always when `flush`. A section starting in it makes it a unit
// start, its pointer_field pointing there.
bool SectionCarrier::Emit(bool flush) {
  if (pending_.empty()) return false;
  const bool adaptation = options_.AdaptationEvery != 0 && (made_ + 1) % options_.AdaptationEvery == 0;
  const std::size_t adaptationBytes = adaptation ? 1u + options_.AdaptationLength : 0u;
  if (adaptationBytes >= 183) throw std::length_error("adaptation field leaves no room for a section byte");
  const std::size_t room = 184 - adaptationBytes;
  if (!starts_.empty() && starts_.front() == room - 1) {
    // A section would start on the payload's last byte, which only a
    // pointer_field could flag and the pointer_field itself would push out:
    // one 0xFF ends this payload's sections, the section starts the next.
    pending_.insert(pending_.begin() + static_cast<std::ptrdiff_t>(room - 1), std::uint8_t{0xFF});
    for (std::size_t& start : starts_) ++start;
  }
  const bool startsHere = !starts_.empty() && starts_.front() < room - 1;
  const std::size_t dataRoom = startsHere ? room - 1 : room;
  if (!flush && pending_.size() < dataRoom) return false;

  TsPacket packet{};
  SetHeader(packet, options_.Pid, startsHere, adaptation ? 3u : 1u, counter_);
  std::size_t at = 4;
  if (adaptation) {
    WriteAdaptationField(packet, options_.AdaptationLength);
    at += adaptationBytes;
  }
  if (startsHere) packet[at++] = static_cast<std::uint8_t>(starts_.front());
  const std::size_t count = std::min(dataRoom, pending_.size());
  std::copy_n(pending_.begin(), count, packet.begin() + static_cast<std::ptrdiff_t>(at));
  std::fill(packet.begin() + static_cast<std::ptrdiff_t>(at + count), packet.end(), std::uint8_t{0xFF});
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
  while (!starts_.empty() && starts_.front() < count) starts_.erase(starts_.begin());
  for (std::size_t& start : starts_) start -= count;
  packets_.push_back(packet);
  ++made_;
  ++counter_;

  if (options_.AdaptationOnlyEvery != 0 && made_ % options_.AdaptationOnlyEvery == 0) {
    TsPacket only{};
    SetHeader(only, options_.Pid, false, 2u, counter_ - 1);  // no payload: the counter stays
    WriteAdaptationField(only, 183);
    packets_.push_back(only);
  }
  return true;
}

void DropPacket(std::vector<TsPacket>& packets, std::size_t index) {
  packets.erase(packets.begin() + static_cast<std::ptrdiff_t>(index));
}

void DuplicatePacket(std::vector<TsPacket>& packets, std::size_t index) {
  const TsPacket copy = packets.at(index);
  packets.insert(packets.begin() + static_cast<std::ptrdiff_t>(index) + 1, copy);
}

void DamagePacket(std::vector<TsPacket>& packets, std::size_t index) {
  TsPacket& packet = packets.at(index);
  packet[1] |= 0x80;  // transport_error_indicator
  for (std::size_t i = 4; i < packet.size(); i += 7) packet[i] ^= 0x5A;
}

std::vector<std::uint8_t> PacketPayload(const TsPacket& packet) {
  const unsigned control = packet[3] >> 4 & 0x03;
  if ((control & 0x01) == 0) return {};
  std::size_t at = 4;
  if (control == 3) at += 1u + packet[4];
  if (at >= packet.size()) return {};
  return {packet.begin() + static_cast<std::ptrdiff_t>(at), packet.end()};
}

std::string ExpectedEntryText(const Transponder& t) {
  static const char* const kPolarisations[] = {"H", "V", "left", "right"};
  static const char* const kFec[] = {"", "12", "23", "34", "56", "78", "89", "35", "45", "910"};
  static const char* const kModulations[] = {"Auto", "QPSK", "8PSK", "16-QAM"};
  const unsigned fec = static_cast<unsigned>(t.Fec);
  if (fec == 0 || fec > 9) throw std::invalid_argument("layouts use FEC codes with a text");
  char text[64];
  std::snprintf(text, sizeof text, "%05u,%s,%05u,%s,%s,%s", t.FrequencyKhz / 1000,
                kPolarisations[static_cast<unsigned>(t.polarisation)], t.SymbolRate / 1000, kFec[fec],
                t.system == DeliverySystem::DvbS ? "DVB-S" : "DVB-S2",
                kModulations[static_cast<unsigned>(t.modulation)]);
  return text;
}

std::string ExpectedListFileName(const Transponder& last) {
  const unsigned code = last.hemisphere == Hemisphere::West ? 3600u - last.PositionTenths : last.PositionTenths;
  char name[16];
  std::snprintf(name, sizeof name, "%04u.ini", code);
  return name;
}

std::vector<std::string> ExpectedEntryTexts(const std::vector<Transponder>& transponders) {
  std::vector<std::string> texts;
  for (const Transponder& t : transponders) texts.push_back(ExpectedEntryText(t));
  std::ranges::sort(texts);
  return texts;
}

std::vector<Transponder> TransponderBand(int count, std::uint32_t firstMhz, std::uint16_t tenths,
                                         Hemisphere hemisphere, int servicesEach) {
  static const FecInner kFecs[] = {FecInner::Fec3_4, FecInner::Fec2_3, FecInner::Fec5_6,
                                   FecInner::Fec7_8, FecInner::Fec9_10, FecInner::Fec3_5};
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    Transponder t;
    t.FrequencyKhz = (firstMhz + 7u * static_cast<std::uint32_t>(i)) * 1000u + (i % 3 == 1 ? 500u : 0u);
    t.PositionTenths = tenths;
    t.hemisphere = hemisphere;
    t.polarisation = i % 2 ? Polarisation::Vertical : Polarisation::Horizontal;
    t.system = i % 4 == 3 ? DeliverySystem::DvbS2 : DeliverySystem::DvbS;
    t.modulation = i % 4 == 3 ? Modulation::Psk8 : Modulation::Qpsk;
    t.SymbolRate = i % 5 == 2 ? 22000000u : 27500000u;
    t.Fec = kFecs[i % 6];
    for (int s = 0; s < servicesEach; ++s) {
      t.ServiceIds.push_back(static_cast<std::uint16_t>(1000 + 20 * i + s));
    }
    list.push_back(t);
  }
  return list;
}

}  // namespace velq
