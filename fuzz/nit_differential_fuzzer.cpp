// Our NIT assembly against a second decoder made for the job, Debian's
// libdvbpsi, on the same packets.
//
// An input that starts with 0x47 is a recording (the samples are seeds as
// they are; after a first byte 0x01, any bytes): velqtp's framer hands out
// the same PID 0x0010 packets in any blocks, with a bounded tail; its scan
// finds what a capture fed those packets finds; every table libdvbpsi
// completes, we complete too. Any other input builds random tables: versions
// (some cut short), sections out of order or packed, stuffing, NIT other, bad
// CRCs, adaptation fields, lost, repeated and damaged packets. Every table
// velqtp's path or the plug-in's (payloads only) completes is one that was
// built; velqtp's completes every one libdvbpsi does; the capture ends a search
// exactly when the plug-in's path completes a table, without a word to the host.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "cli/nit_scan.h"
#include "cli/ts_packet_framer.h"
#include "cli/ts_payload_reader.h"
#include "fuzz/fuzz_bytes.h"
#include "fuzz/fuzz_check.h"
#include "search/nit_capture.h"
#include "search/nit_table_collector.h"
#include "search/psi_section_splitter.h"
#include "tests/support/recording_nit_sink.h"
#include "tools/nit_builder/nit_builder.h"

// libdvbpsi's headers rely on each other in this order.
// clang-format off
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/nit.h>
// clang-format on

namespace velq::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Sections = std::vector<SectionBytes>;

// A complete table as libdvbpsi states it: network_id, version, network
// descriptors, then each transport stream with its descriptors.
struct Table {
  std::uint16_t NetworkId = 0;
  std::uint8_t Version = 0;
  Bytes Contents;
  bool operator==(const Table&) const = default;
};

// --- libdvbpsi -------------------------------------------------------------

void AppendDescriptors(Bytes& out, const dvbpsi_descriptor_t* d) {
  for (; d != nullptr; d = d->p_next) {
    out.insert(out.end(), {d->i_tag, d->i_length});
    out.insert(out.end(), d->p_data, d->p_data + d->i_length);
  }
  out.push_back(0xFF);  // end of the loop
}

void OnDvbpsiNit(void* data, dvbpsi_nit_t* nit) {
  if (nit->b_current_next) {
    Table table{nit->i_network_id, nit->i_version, {}};
    AppendDescriptors(table.Contents, nit->p_first_descriptor);
    for (const dvbpsi_nit_ts_t* ts = nit->p_first_ts; ts != nullptr; ts = ts->p_next) {
      table.Contents.insert(table.Contents.end(),
                            {static_cast<std::uint8_t>(ts->i_ts_id >> 8), static_cast<std::uint8_t>(ts->i_ts_id),
                             static_cast<std::uint8_t>(ts->i_orig_network_id >> 8),
                             static_cast<std::uint8_t>(ts->i_orig_network_id)});
      AppendDescriptors(table.Contents, ts->p_first_descriptor);
    }
    static_cast<std::vector<Table>*>(data)->push_back(std::move(table));
  }
  dvbpsi_nit_delete(nit);
}

void OnDvbpsiSubtable(dvbpsi_t* handle, std::uint8_t tableId, std::uint16_t extension, void* data) {
  if (tableId == 0x40) dvbpsi_nit_attach(handle, tableId, extension, OnDvbpsiNit, data);
}

// A receiver drops packets flagged as damaged before any decoder sees them.
// Packets without a payload are left out too: libdvbpsi 1.3 takes their
// counter, which rightly stays the same, for a gap and drops the table under
// way. Its demux takes a true repeat for lost packets as well (dropping the
// section under way), so there it completes no more than we do.
std::vector<Table> DecodeWithDvbpsi(const std::vector<TsPacket>& packets) {
  std::vector<Table> tables;
  dvbpsi_t* handle = dvbpsi_new(nullptr, DVBPSI_MSG_NONE);
  Require(handle != nullptr && dvbpsi_AttachDemux(handle, OnDvbpsiSubtable, &tables), "libdvbpsi starts");
  for (TsPacket packet : packets) {
    if ((packet[1] & 0x80) == 0 && (packet[3] & 0x10) != 0) dvbpsi_packet_push(handle, packet.data());
  }
  dvbpsi_DetachDemux(handle);
  dvbpsi_delete(handle);
  return tables;
}

// Tables of sections as libdvbpsi reads them from clean packets, each once.
std::vector<Table> AsDvbpsiTables(const std::vector<Sections>& tables) {
  std::vector<Table> read;
  for (const Sections& table : std::set<Sections>(tables.begin(), tables.end())) {
    for (Table& t : DecodeWithDvbpsi(SectionsToPackets(table))) read.push_back(std::move(t));
  }
  return read;
}

void RequireAllIn(const std::vector<Table>& theirs, const std::vector<Table>& ours, const char* invariant) {
  for (const Table& t : theirs) Require(std::ranges::find(ours, t) != ours.end(), invariant);
}

// --- ours ------------------------------------------------------------------

struct OurTables {
  std::vector<Sections> Tables;        // every complete table, in the order completed
  std::set<std::uint16_t> NetworkIds;  // of every good NIT actual section
  bool VersionReused = false;          // a section came again with its version but other contents
};

// The splitter and collector as the capture runs them; after each complete
// table the collector starts again, to see every table the stream holds.
class OurDecoder {
 public:
  SectionSplitter Splitter{[this](std::span<const std::uint8_t> section) { OnSection(section); }};
  OurTables Found;

 private:
  using Place = std::array<std::uint8_t, 4>;  // network, version, section number
  static Place PlaceOf(std::span<const std::uint8_t> s) {
    return {s[3], s[4], static_cast<std::uint8_t>(s[5] & 0x3E), s[6]};
  }
  void OnSection(std::span<const std::uint8_t> section) {
    if (section[0] == 0x40 && section.size() >= 8) {
      Found.NetworkIds.insert(static_cast<std::uint16_t>(section[3] << 8 | section[4]));
      SectionBytes& latest = latest_[PlaceOf(section)];
      if (!latest.empty() && !std::ranges::equal(latest, section)) Found.VersionReused = true;
      latest.assign(section.begin(), section.end());
    }
    if (!collector_.Add(section)) return;
    for (const SectionBytes& s : collector_.Sections()) {
      Require(latest_[PlaceOf(s)] == s, "a complete table holds no section since sent with other contents");
    }
    Found.Tables.push_back(collector_.Sections());
    collector_.Reset();
  }
  std::map<Place, SectionBytes> latest_;
  NitTableCollector collector_;
};

// velqtp's path reads the TS header; the plug-in's gets the payloads only.
OurTables Decode(const std::vector<TsPacket>& packets, bool headerKnown) {
  OurDecoder decoder;
  TsPayloadReader reader;
  for (const TsPacket& packet : packets) {
    if (!headerKnown) {
      const Bytes payload = PacketPayload(packet);
      if (!payload.empty()) decoder.Splitter.Push(payload, PayloadStart::kUnknown);
      continue;
    }
    const TsPidPayload payload = reader.Read(packet.data());
    if (payload.afterGap) decoder.Splitter.Discontinuity();
    if (payload.bytes.empty()) continue;
    decoder.Splitter.Push(payload.bytes, payload.unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
  }
  return decoder.Found;
}

// --- recordings ----------------------------------------------------------------

// Block sizes around the packet sizes and the lock distance: a pipe hands
// over whatever it has at once.
std::size_t BlockSize(std::size_t step, std::uint8_t seed) {
  static constexpr std::array<std::size_t, 8> kSizes = {1, 7, 187, 188, 192, 204, 611, 1500};
  return kSizes[(seed + step * (1 + (seed >> 3))) % kSizes.size()];
}

bool IsNitPacket(const std::uint8_t* packet) {
  return packet[0] == kTsSyncByte && ((packet[1] & 0x1F) << 8 | packet[2]) == kNitPacketPid;
}

// The caller's side of Frame(): the undone tail goes in again at the front
// of the next call, each call on a block of exactly its size.
std::vector<TsPacket> FrameInBlocks(std::span<const std::uint8_t> file, std::uint8_t seed) {
  std::vector<TsPacket> packets;
  TsPacketFramer framer(kNitPacketPid, [&packets](const std::uint8_t* packet) {
    Require(IsNitPacket(packet), "framer: only PID 0x0010 packets");
    std::memcpy(packets.emplace_back().data(), packet, 188);  // reads all 188 bytes for ASan
    return true;
  });
  std::vector<std::uint8_t> tail;
  for (std::size_t next = 0, step = 0, count = 1; count > 0; next += count, ++step) {
    count = std::min(BlockSize(step, seed), file.size() - next);
    std::vector<std::uint8_t> block(tail);
    block.insert(block.end(), file.begin() + next, file.begin() + next + count);
    const std::size_t done = framer.Frame(block.data(), block.size(), count == 0);
    Require(done <= block.size(), "framer: done with no more than it was given");
    Require(count == 0 || block.size() - done <= kTsFramerMaxTail, "framer: the tail stays bounded");
    tail.assign(block.begin() + done, block.end());
  }
  return packets;
}

class CountingHost : public NitFilterHost {
 public:
  void SendStartFilter() override { ++Calls; }
  void SendStopFilter() override { ++Calls; }
  int Calls = 0;
};

// velqtp's scan, reading in blocks, finds what a search over the framed
// packets finds.
void CheckScan(std::span<const std::uint8_t> file, std::uint8_t seed, const std::vector<TsPacket>& packets) {
  std::size_t next = 0, step = 0;
  const NitScanResult scan = ScanForNit([&](std::uint8_t* buffer, std::size_t capacity) {
    const std::size_t count = std::min({capacity, file.size() - next, BlockSize(step++, seed)});
    std::memcpy(buffer, file.data() + next, count);
    next += count;
    return count;
  });
  CountingHost host;
  RecordingNitSink sink;
  NitCapture capture(host, sink, '.');
  capture.StartSearch();
  TsPayloadReader reader;
  for (std::size_t i = 0; i < packets.size() && !capture.SearchDone(); ++i) {
    const TsPidPayload payload = reader.Read(packets[i].data());
    if (payload.afterGap) capture.Discontinuity();
    capture.Deliver(static_cast<std::int32_t>(payload.bytes.size()), payload.bytes.data(),
                    payload.unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
  }
  Require(scan.tableParsed == capture.SearchDone(), "scan: the table is found");
  // The list keeps its entries sorted: compare them as sorted lists.
  std::multiset<std::string> listed, expected(sink.Entries.begin(), sink.Entries.end());
  for (const VectorCheckList::Entry& entry : scan.list.entries()) listed.insert(entry.text);
  Require(listed == expected, "scan: the entries of the table");
  Require(scan.satelliteLine == (sink.SatelliteLines.empty() ? "" : sink.SatelliteLines.back()),
          "scan: the satellite line");
  Require(scan.position.SatPositionCode == capture.Position().SatPositionCode, "scan: the position code");
}

void CheckRecording(std::span<const std::uint8_t> file) {
  const std::uint8_t seed = static_cast<std::uint8_t>(file.size());
  const std::vector<TsPacket> packets = FrameInBlocks(file, seed);
  Require(packets == FrameInBlocks(file, static_cast<std::uint8_t>(seed + 1)), "framer: same packets in any blocks");
  CheckScan(file, seed, packets);
  // Against libdvbpsi: the PID 0x0010 packets in their 188-byte places.
  std::vector<TsPacket> aligned;
  for (std::size_t at = 0; at + 188 <= file.size(); at += 188) {
    if (IsNitPacket(&file[at])) std::copy_n(&file[at], 188, aligned.emplace_back().begin());
  }
  const OurTables ours = Decode(aligned, true);
  // Where completions may rightly differ, libdvbpsi is no judge: tables of
  // two networks interleaved (we take one network at a time, libdvbpsi each
  // in parallel), and a section sent again with its version but other
  // contents (the version counts modulo 32; a recording may be cut): what
  // was held is another table; we start again from that section, libdvbpsi
  // from the next packet after a counter gap.
  if (ours.NetworkIds.size() > 1 || ours.VersionReused) return;
  RequireAllIn(DecodeWithDvbpsi(aligned), AsDvbpsiTables(ours.Tables),
               "recording: every table libdvbpsi completes, we complete the same");
}

// --- built layouts -----------------------------------------------------------------

struct Built {
  std::vector<TsPacket> Packets;
  std::vector<Sections> Tables;  // NIT actual, as built
};

std::vector<Transponder> RandomTransponders(FuzzBytes& in, std::size_t count) {
  std::vector<Transponder> list;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t shape = in.Byte();
    list.push_back({.FrequencyKhz = 10700000u + 10u * (in.U16() % 20000u),
                    .PositionTenths = static_cast<std::uint16_t>(in.U16() % 1800u),
                    .hemisphere = shape & 0x01 ? Hemisphere::West : Hemisphere::East,
                    .polarisation = static_cast<Polarisation>(shape >> 1 & 0x03),
                    .SymbolRate = 1000000u + 100u * (in.U16() % 50000u),
                    .Fec = static_cast<FecInner>(shape >> 4)});
    for (std::size_t s = in.Byte() % 8; s > 0; --s) list.back().ServiceIds.push_back(in.U16());
  }
  return list;
}

Built BuildLayout(FuzzBytes& in) {
  Built built;
  const std::uint16_t networkId = in.U16();
  SectionCarrier carrier({.FirstCounter = in.Byte(),
                          .AdaptationEvery = in.Byte() % 5u,
                          .AdaptationLength = static_cast<std::uint8_t>(in.Byte() % 120),
                          .AdaptationOnlyEvery = in.Byte() % 6u});
  const Sections others = BuildNitSections({.TableId = 0x41,
                                            .NetworkId = static_cast<std::uint16_t>(networkId ^ 0x5555),
                                            .Transponders = RandomTransponders(in, in.Byte() % 12),
                                            .TranspondersPerSection = 3});
  const std::uint8_t firstVersion = in.Byte();
  const int versions = 1 + in.Byte() % 3;
  for (int v = 0; v < versions; ++v) {
    Sections sections = BuildNitSections({.NetworkId = networkId,
                                          .Version = static_cast<std::uint8_t>((firstVersion + v) & 0x1F),
                                          .NetworkName = std::string(in.Byte() % 24, 'n'),
                                          .Transponders = RandomTransponders(in, in.Byte() % 48),
                                          .TranspondersPerSection = 1 + in.Byte() % 12u});
    built.Tables.push_back(sections);
    std::rotate(sections.begin(), sections.begin() + in.Byte() % sections.size(), sections.end());
    if (in.Byte() & 1) std::reverse(sections.begin(), sections.end());

    // The last version goes out whole; an earlier one may stop short.
    const int repetitions = 1 + in.Byte() % 3;
    const std::size_t cut = v + 1 < versions ? in.Byte() % (sections.size() + 1) : sections.size();
    for (int r = 0; r < repetitions; ++r) {
      for (std::size_t i = 0; i < (r + 1 == repetitions ? cut : sections.size()); ++i) {
        const std::uint8_t extras = in.Byte();
        if (extras & 0x01) carrier.Pack(BuildStuffingSection(3 + in.Byte() * 4u));
        if (extras & 0x02 && !others.empty()) carrier.Pack(others[i % others.size()]);
        if (extras & 0x04) {  // a copy that fails its CRC
          SectionBytes bad = sections[i];
          bad[8 + in.Byte() % (bad.size() - 8)] ^= static_cast<std::uint8_t>(1 + in.Byte() % 255);
          carrier.Pack(bad);
        }
        carrier.Pack(sections[i]);
        if (extras & 0x08) carrier.EndPayload();
      }
    }
  }
  built.Packets = carrier.Take();
  static constexpr std::array kFaults = {DropPacket, DuplicatePacket, DamagePacket};
  for (int faults = in.Byte() % 4; faults > 0 && !built.Packets.empty(); --faults) {
    const std::uint8_t kind = in.Byte();
    kFaults[kind % 3](built.Packets, in.U16() % built.Packets.size());
  }
  return built;
}

void RequireBuilt(const OurTables& ours, const Built& built, const char* invariant) {
  for (const Sections& table : ours.Tables) Require(std::ranges::count(built.Tables, table) > 0, invariant);
}

void CheckLayout(FuzzBytes in) {
  const Built built = BuildLayout(in);
  const OurTables velqtp = Decode(built.Packets, true);
  RequireBuilt(velqtp, built, "velqtp: every complete table is one that was built");
  if (std::ranges::none_of(built.Packets, [](const TsPacket& p) { return (p[3] & 0x20) != 0; })) {
    const OurTables plugin = Decode(built.Packets, false);
    RequireBuilt(plugin, built, "plug-in: every complete table is one that was built");
    // The capture, fed each payload in a heap block of exactly its size (ASan).
    CountingHost host;
    RecordingNitSink sink;
    NitCapture capture(host, sink, '.');
    capture.StartSearch();
    const int calls = host.Calls;
    for (const TsPacket& packet : built.Packets) {
      const Bytes payload = PacketPayload(packet);
      capture.Deliver(static_cast<std::int32_t>(payload.size()), payload.data());
    }
    Require(host.Calls == calls, "capture: a delivery never calls the host");
    Require(capture.SearchDone() == !plugin.Tables.empty(), "capture: the search ends with the first complete table");
  }
  const std::vector<Table> theirs = DecodeWithDvbpsi(built.Packets);
  RequireAllIn(theirs, AsDvbpsiTables(built.Tables), "libdvbpsi: every complete table is one that was built");
  RequireAllIn(theirs, AsDvbpsiTables(velqtp.Tables), "velqtp completes every table libdvbpsi completes");
}

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velq::fuzz;
  const std::span<const std::uint8_t> input(data, size);
  if (size > 0 && (data[0] == 0x47 || data[0] == 0x01)) {
    CheckRecording(input.subspan(data[0] == 0x01 ? 1 : 0));
  } else {
    CheckLayout(FuzzBytes(input.subspan(size > 0 ? 1 : 0)));
  }
  return 0;
}
