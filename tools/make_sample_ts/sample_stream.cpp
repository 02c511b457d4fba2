#include "tools/make_sample_ts/sample_stream.h"

#include <algorithm>
#include <stdexcept>

#include "tools/nit_builder/crc32.h"

namespace velq {
namespace {

constexpr std::uint16_t kPatPid = 0x0000;
constexpr std::uint16_t kSdtPid = 0x0011;
constexpr std::uint16_t kVideoPid = 0x0100;
constexpr std::uint16_t kAudioPid = 0x0101;
constexpr std::uint16_t kNullPid = 0x1FFF;

// A PAT naming the NIT on PID 0x0010 and one programme: pointer field, section, CRC.
std::vector<std::uint8_t> PatPayload() {
  std::vector<std::uint8_t> section = {0x00, 0xB0, 0x11, 0x00, 0x01, 0xC1, 0x00, 0x00,
                                       0x00, 0x00, 0xE0, 0x10,   // programme 0: network PID 0x0010
                                       0x00, 0x01, 0xE0, 0x20};  // programme 1: PMT on 0x0020
  const std::uint32_t crc = Mpeg2Crc32(section);
  for (int shift = 24; shift >= 0; shift -= 8) section.push_back(static_cast<std::uint8_t>(crc >> shift));
  section.insert(section.begin(), 0x00);  // pointer_field
  return section;
}

void AppendNitPacket(std::vector<std::uint8_t>& out, const TsPacket& packet) {
  out.insert(out.end(), packet.begin(), packet.end());
}

// One repetition of the table as the options lay it out; the carrier's
// counter goes on from one repetition to the next.
std::vector<TsPacket> TablePackets(const std::vector<SectionBytes>& sections, const SampleStreamOptions& options,
                                   SectionCarrier& carrier) {
  for (const SectionBytes& section : sections) {
    if (options.stuffingBytes != 0) carrier.Pack(BuildStuffingSection(options.stuffingBytes));
    carrier.Pack(section);
    if (!options.packed) carrier.EndPayload();
  }
  return carrier.Take();
}

}  // namespace

OtherPidPackets::OtherPidPackets(std::uint32_t seed) : random_(seed) {}

std::uint8_t OtherPidPackets::NextByte() {
  random_ = random_ * 1664525u + 1013904223u;  // a plain LCG: same seed, same bytes
  return static_cast<std::uint8_t>(random_ >> 24);
}

void OtherPidPackets::AppendPacket(std::vector<std::uint8_t>& out, std::uint16_t pid, bool unitStart,
                                   const std::vector<std::uint8_t>& payload) {
  out.push_back(0x47);
  out.push_back(static_cast<std::uint8_t>((unitStart ? 0x40 : 0x00) | (pid >> 8)));
  out.push_back(static_cast<std::uint8_t>(pid & 0xFF));
  out.push_back(static_cast<std::uint8_t>(0x10 | (counters_[pid]++ & 0x0F)));
  std::vector<std::uint8_t> body(payload);
  body.resize(kTsPayloadBytes, 0xFF);
  out.insert(out.end(), body.begin(), body.end());
}

// Mostly video and audio, as on a real transponder; now and then the PAT, a
// piece of the SDT and stuffing.
void OtherPidPackets::Append(std::vector<std::uint8_t>& out, std::uint64_t packets) {
  static const std::vector<std::uint8_t> pat = PatPayload();
  for (std::uint64_t i = 0; i < packets; ++i, ++count_) {
    const std::uint64_t slot = count_ % 40;
    if (slot == 0) {
      AppendPacket(out, kPatPid, true, pat);
    } else if (slot == 20) {
      AppendPacket(out, kSdtPid, true, {0x00, 0x42, 0xF0, 0x0B, 0x00, 0x01, 0xC1, 0x00, 0x00});
    } else if (slot == 30) {
      AppendPacket(out, kNullPid, false, {});
    } else {
      std::vector<std::uint8_t> payload(kTsPayloadBytes);
      for (auto& byte : payload) byte = NextByte();
      AppendPacket(out, slot % 4 == 3 ? kAudioPid : kVideoPid, slot % 10 == 1, payload);
    }
  }
}

std::vector<std::uint8_t> BuildSampleStream(const std::vector<Transponder>& transponders,
                                            const SampleStreamOptions& options) {
  if (transponders.empty()) throw std::invalid_argument("no satellite transponders to put in the NIT");
  if (options.repetitions < 1) throw std::invalid_argument("the NIT must appear at least once");

  const std::vector<SectionBytes> sections =
      BuildNitSections({.TableId = options.tableId,
                        .NetworkId = options.networkId,
                        .NetworkName = options.networkName,
                        .Transponders = transponders,
                        .TranspondersPerSection = options.transpondersPerSection});
  OtherPidPackets others(options.seed);
  std::vector<std::uint8_t> out;

  SectionCarrier carrier;
  for (int repetition = 0; repetition < options.repetitions; ++repetition) {
    const std::vector<TsPacket> packets = TablePackets(sections, options, carrier);
    // A recording started while section 0 was on air begins with its tail.
    const std::size_t first = repetition == 0 && options.startMidSection ? 1 : 0;
    for (std::size_t i = first; i < packets.size(); ++i) {
      AppendNitPacket(out, packets[i]);
      others.Append(out, static_cast<std::uint64_t>(options.otherPacketsPerNitPacket));
    }
    others.Append(out, static_cast<std::uint64_t>(options.otherPacketsBetweenTables));
  }
  return out;
}

}  // namespace velq
