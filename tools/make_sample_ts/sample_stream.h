#pragma once
// A transport stream as a receiver records it off one transponder, made
// from a transponder list: the NIT actual on PID 0x0010 in several sections,
// repeated, with packets of other PIDs (PAT, SDT, video, audio, stuffing)
// between its packets.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/nit_builder/nit_builder.h"

namespace velq {

inline constexpr std::size_t kTsPacketBytes = 188;
inline constexpr std::size_t kTsPayloadBytes = 184;

struct SampleStreamOptions {
  std::string networkName = "Velq sample network";
  std::uint8_t tableId = 0x40;        // 0x41: the table of another network (NIT other)
  std::uint16_t networkId = 1;
  std::size_t transpondersPerSection = 16;
  int repetitions = 3;                // whole tables, one after another
  int otherPacketsPerNitPacket = 3;   // packets of other PIDs after each NIT packet
  int otherPacketsBetweenTables = 40;
  bool startMidSection = false;       // drop the first packet of the first table
  // Sections back to back, a section starting wherever the one before it
  // ended (pointer_field), instead of one section per payload start.
  bool packed = false;
  // A stuffing section (table 0x72) of this many bytes before each NIT
  // section; 0: none.
  std::size_t stuffingBytes = 0;
  std::uint32_t seed = 1;             // the same options give the same bytes
};

// Throws std::invalid_argument for an empty list or a repetition count
// below 1, and what the NIT builder throws for values it cannot encode.
std::vector<std::uint8_t> BuildSampleStream(const std::vector<Transponder>& transponders,
                                            const SampleStreamOptions& options);

// Packets of other PIDs, as many as asked for at a time: the filler between
// the NIT's packets, and the lead-in of a large stream written in pieces.
class OtherPidPackets {
 public:
  explicit OtherPidPackets(std::uint32_t seed);
  void Append(std::vector<std::uint8_t>& out, std::uint64_t packets);

 private:
  std::uint8_t NextByte();
  void AppendPacket(std::vector<std::uint8_t>& out, std::uint16_t pid, bool unitStart,
                    const std::vector<std::uint8_t>& payload);

  std::uint32_t random_;
  std::uint64_t count_ = 0;
  std::uint8_t counters_[0x2000] = {};
};

}  // namespace velq
