// Our NIT assembly against a second decoder made for the job: Debian's
// libdvbpsi reads the same packets (sections, CRC, versions, tables).
//
// An input that starts with the sync byte 0x47 is a recording (the samples
// are seeds as they are; after a first byte 0x01, any bytes: 192- and
// 204-byte packets, junk). velqtp's framer must hand out the same PID 0x0010
// packets however the file arrives in blocks, keeping a bounded tail, and
// its scan must find what a capture fed those packets finds; every table
// libdvbpsi completes, we complete too, with the same contents.
//
// Any other input is a program that builds a random
// layout of random tables: versions that change (some cut short), sections
// out of order, packed or one per payload, stuffing and NIT other sections,
// bad CRCs, adaptation fields, lost, repeated and damaged packets. Then, for
// velqtp's path (the TS header read) and the plug-in's (payloads only):
// every table we complete is exactly one that was built, and every table
// libdvbpsi completes, velqtp's path completes as well. The plug-in's
// capture, fed the payloads in blocks of exactly their size (ASan), ends a
// search exactly when the plug-in's path completes a table, without a word
// to the host.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
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

// A complete table as both decoders can state it: network_id, version,
// network descriptors, then each transport stream with its descriptors.
struct Table {
  std::uint16_t NetworkId = 0;
  std::uint8_t Version = 0;
  Bytes Contents;
  bool operator==(const Table&) const = default;
};

void AppendDescriptor(Bytes& out, std::uint8_t tag, std::span<const std::uint8_t> data) {
  out.push_back(tag);
  out.push_back(static_cast<std::uint8_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

// A descriptor loop as libdvbpsi keeps it: whole descriptors, up to the
// first that runs past the loop.
void AppendLoop(Bytes& out, std::span<const std::uint8_t> loop) {
  std::size_t at = 0;
  while (at + 2 <= loop.size() && at + 2 + loop[at + 1] <= loop.size()) {
    AppendDescriptor(out, loop[at], loop.subspan(at + 2, loop[at + 1]));
    at += 2u + loop[at + 1];
  }
}

std::size_t Length12(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::size_t>((bytes[at] & 0x0F) << 8 | bytes[at + 1]);
}

// Our sections in libdvbpsi's terms: all network descriptors, a marker,
// then the transport streams of every section in section order.
Table TableOfSections(const Sections& sections) {
  Table table;
  Bytes streams;
  for (const SectionBytes& s : sections) {
    table.NetworkId = static_cast<std::uint16_t>(s[3] << 8 | s[4]);
    table.Version = static_cast<std::uint8_t>(s[5] >> 1 & 0x1F);
    const std::span<const std::uint8_t> body(s.data(), s.size() - 4);  // without the CRC
    std::size_t at = 8;
    if (at + 2 > body.size()) continue;
    const std::size_t networkLength = std::min(Length12(body, at), body.size() - at - 2);
    AppendLoop(table.Contents, body.subspan(at + 2, networkLength));
    at += 2 + networkLength;
    if (at + 2 > body.size()) continue;
    const std::size_t end = std::min(body.size(), at + 2 + Length12(body, at));
    at += 2;
    while (at + 6 <= end) {
      const std::size_t length = std::min(Length12(body, at + 4), end - at - 6);
      streams.insert(streams.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
                     body.begin() + static_cast<std::ptrdiff_t>(at + 4));
      AppendLoop(streams, body.subspan(at + 6, length));
      streams.push_back(0xFF);  // end of this stream's descriptors
      at += 6 + length;
    }
  }
  table.Contents.push_back(0xFF);
  table.Contents.insert(table.Contents.end(), streams.begin(), streams.end());
  return table;
}

// --- libdvbpsi -------------------------------------------------------------

struct DvbpsiTables {
  std::vector<Table> Tables;
};

void AppendDvbpsiDescriptors(Bytes& out, const dvbpsi_descriptor_t* d) {
  for (; d != nullptr; d = d->p_next) AppendDescriptor(out, d->i_tag, {d->p_data, d->i_length});
}

void OnDvbpsiNit(void* data, dvbpsi_nit_t* nit) {
  auto* tables = static_cast<DvbpsiTables*>(data);
  if (nit->b_current_next) {
    Table table{nit->i_network_id, nit->i_version, {}};
    AppendDvbpsiDescriptors(table.Contents, nit->p_first_descriptor);
    table.Contents.push_back(0xFF);
    for (const dvbpsi_nit_ts_t* ts = nit->p_first_ts; ts != nullptr; ts = ts->p_next) {
      table.Contents.insert(table.Contents.end(),
                            {static_cast<std::uint8_t>(ts->i_ts_id >> 8), static_cast<std::uint8_t>(ts->i_ts_id),
                             static_cast<std::uint8_t>(ts->i_orig_network_id >> 8),
                             static_cast<std::uint8_t>(ts->i_orig_network_id)});
      AppendDvbpsiDescriptors(table.Contents, ts->p_first_descriptor);
      table.Contents.push_back(0xFF);
    }
    tables->Tables.push_back(std::move(table));
  }
  dvbpsi_nit_delete(nit);
}

void OnDvbpsiSubtable(dvbpsi_t* handle, std::uint8_t tableId, std::uint16_t extension, void* data) {
  if (tableId == 0x40) dvbpsi_nit_attach(handle, tableId, extension, OnDvbpsiNit, data);
}

// A receiver drops packets flagged as damaged before any decoder sees them.
// Packets without a payload carry nothing for a section decoder, and
// libdvbpsi 1.3 takes their counter, which rightly stays the same, for a gap
// and drops the table under way: they are left out too. Its demux also
// takes any packet with the last one's counter for lost packets, a true
// repeat as well (dropping the section under way), so there it completes
// no more than we do.
std::vector<Table> DecodeWithDvbpsi(const std::vector<TsPacket>& packets) {
  DvbpsiTables tables;
  dvbpsi_t* handle = dvbpsi_new(nullptr, DVBPSI_MSG_NONE);
  Require(handle != nullptr && dvbpsi_AttachDemux(handle, OnDvbpsiSubtable, &tables), "libdvbpsi starts");
  for (TsPacket packet : packets) {
    if ((packet[1] & 0x80) == 0 && (packet[3] & 0x10) != 0) dvbpsi_packet_push(handle, packet.data());
  }
  dvbpsi_DetachDemux(handle);
  dvbpsi_delete(handle);
  return tables.Tables;
}

// --- ours ------------------------------------------------------------------

struct OurTables {
  std::vector<Sections> Tables;      // every complete table, in the order completed
  std::set<std::uint16_t> NetworkIds;  // of every good NIT actual section
  bool VersionReused = false;  // a section came again with its version but other contents
};

// The splitter and collector as the capture runs them; after each complete
// table the collector starts again, to see every table the stream holds.
class OurDecoder {
 public:
  OurDecoder()
      : splitter_([this](std::span<const std::uint8_t> section) {
          if (section[0] == 0x40 && section.size() >= 8) {
            found_.NetworkIds.insert(static_cast<std::uint16_t>(section[3] << 8 | section[4]));
            const std::uint32_t key = static_cast<std::uint32_t>(section[3] << 16 | section[4] << 8 | (section[5] & 0x3E)) << 8 | section[6];
            SectionBytes& latest = latest_[key];
            if (!latest.empty() && !std::ranges::equal(latest, section)) found_.VersionReused = true;
            latest.assign(section.begin(), section.end());
          }
          if (collector_.Add(section)) {
            for (const SectionBytes& s : collector_.Sections()) {
              const std::uint32_t key = static_cast<std::uint32_t>(s[3] << 16 | s[4] << 8 | (s[5] & 0x3E)) << 8 | s[6];
              Require(latest_[key] == s, "a complete table holds no section since sent with other contents");
            }
            found_.Tables.push_back(collector_.Sections());
            collector_.Reset();
          }
        }) {}
  void Push(std::span<const std::uint8_t> payload, PayloadStart start) { splitter_.Push(payload, start); }
  void Discontinuity() { splitter_.Discontinuity(); }
  const OurTables& found() const { return found_; }

 private:
  OurTables found_;
  std::map<std::uint32_t, SectionBytes> latest_;  // by network, version, section number
  NitTableCollector collector_;
  SectionSplitter splitter_;
};

// velqtp's path: its reader of the TS header.
OurTables DecodeAsVelqtp(const std::vector<TsPacket>& packets) {
  OurDecoder decoder;
  TsPayloadReader reader;
  for (const TsPacket& packet : packets) {
    const TsPidPayload payload = reader.Read(packet.data());
    if (payload.afterGap) decoder.Discontinuity();
    if (!payload.bytes.empty()) {
      decoder.Push(payload.bytes, payload.unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
    }
  }
  return decoder.found();
}

// The plug-in's path: the host hands on each payload, header unknown.
OurTables DecodeAsPlugin(const std::vector<TsPacket>& packets) {
  OurDecoder decoder;
  for (const TsPacket& packet : packets) {
    const Bytes payload = PacketPayload(packet);
    if (!payload.empty()) decoder.Push(payload, PayloadStart::kUnknown);
  }
  return decoder.found();
}

// --- recordings ----------------------------------------------------------------

// Block sizes around the packet sizes and the lock distance: a pipe hands
// over whatever it has at once.
std::size_t BlockSize(std::size_t step, std::uint8_t seed) {
  static constexpr std::array<std::size_t, 8> kSizes = {1, 7, 187, 188, 192, 204, 611, 1500};
  return kSizes[(seed + step * (1 + (seed >> 3))) % kSizes.size()];
}

TsPacketFramer::PacketHandler Collect(std::vector<TsPacket>& packets) {
  return [&packets](const std::uint8_t* packet) {
    Require(packet[0] == kTsSyncByte && ((packet[1] & 0x1F) << 8 | packet[2]) == kNitPacketPid,
            "framer: only PID 0x0010 packets");
    TsPacket copy;
    std::memcpy(copy.data(), packet, copy.size());  // reads all 188 bytes for ASan
    packets.push_back(copy);
    return true;
  };
}

// The caller's side of Frame(): the undone tail goes in again at the front
// of the next call, each call on a block of exactly its size.
std::vector<TsPacket> FrameInBlocks(std::span<const std::uint8_t> file, std::uint8_t seed) {
  std::vector<TsPacket> packets;
  TsPacketFramer framer(kNitPacketPid, Collect(packets));
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

class NoFilterHost : public NitFilterHost {
 public:
  void SendStartFilter() override {}
  void SendStopFilter() override {}
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
  NoFilterHost host;
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
  std::vector<std::string> listed, expected = sink.Entries;
  for (const VectorCheckList::Entry& entry : scan.list.entries()) listed.push_back(entry.text);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
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
    if (file[at] != 0x47 || ((file[at + 1] & 0x1F) << 8 | file[at + 2]) != kNitPid) continue;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), 188, aligned.emplace_back().begin());
  }
  const OurTables ours = DecodeAsVelqtp(aligned);
  // Tables of two networks interleaved: we take one network at a time,
  // libdvbpsi each in parallel, so completions may differ.
  if (ours.NetworkIds.size() > 1) return;
  // A section sent again with its version but other contents (the version
  // counts modulo 32; a recording may be cut): what was held is another
  // table. We start again from that section, libdvbpsi from the next packet
  // after a counter gap, so they may complete different tables, or one none.
  if (ours.VersionReused) return;
  for (const Table& theirs : DecodeWithDvbpsi(aligned)) {
    const bool found = std::any_of(ours.Tables.begin(), ours.Tables.end(),
                                   [&](const Sections& s) { return TableOfSections(s) == theirs; });
    Require(found, "recording: every table libdvbpsi completes, we complete the same");
  }
}

// --- built layouts -----------------------------------------------------------------

struct Built {
  std::vector<TsPacket> Packets;
  std::map<std::uint8_t, Sections> TableOfVersion;  // NIT actual, as built
};

std::vector<Transponder> RandomTransponders(FuzzBytes& in, std::size_t count) {
  std::vector<Transponder> list;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t shape = in.Byte();
    Transponder t;
    t.FrequencyKhz = 10700000u + 10u * (in.U16() % 20000u);
    t.PositionTenths = static_cast<std::uint16_t>(in.U16() % 1800u);
    t.hemisphere = shape & 0x01 ? Hemisphere::West : Hemisphere::East;
    t.polarisation = static_cast<Polarisation>(shape >> 1 & 0x03);
    t.SymbolRate = 1000000u + 100u * (in.U16() % 50000u);
    t.Fec = static_cast<FecInner>(shape >> 4);
    for (std::size_t s = in.Byte() % 8; s > 0; --s) t.ServiceIds.push_back(in.U16());
    list.push_back(t);
  }
  return list;
}

Built BuildLayout(FuzzBytes& in) {
  Built built;
  const std::uint16_t networkId = in.U16();
  CarrierOptions carriage;
  carriage.FirstCounter = in.Byte();
  carriage.AdaptationEvery = in.Byte() % 5;
  carriage.AdaptationLength = static_cast<std::uint8_t>(in.Byte() % 120);
  carriage.AdaptationOnlyEvery = in.Byte() % 6;
  SectionCarrier carrier(carriage);

  NitTable other{.TableId = 0x41, .NetworkId = static_cast<std::uint16_t>(networkId ^ 0x5555),
                 .Transponders = RandomTransponders(in, in.Byte() % 12), .TranspondersPerSection = 3};
  const Sections otherSections = BuildNitSections(other);

  const std::uint8_t firstVersion = in.Byte();
  const int versions = 1 + in.Byte() % 3;
  for (int v = 0; v < versions; ++v) {
    NitTable table{.NetworkId = networkId, .Version = static_cast<std::uint8_t>((firstVersion + v) & 0x1F)};
    table.NetworkName = std::string(in.Byte() % 24, 'n');
    table.Transponders = RandomTransponders(in, in.Byte() % 48);
    table.TranspondersPerSection = 1 + in.Byte() % 12;
    Sections sections = BuildNitSections(table);
    built.TableOfVersion[table.Version] = sections;
    std::rotate(sections.begin(), sections.begin() + in.Byte() % sections.size(), sections.end());
    if (in.Byte() & 1) std::reverse(sections.begin(), sections.end());

    // The last version goes out whole; an earlier one may stop short.
    const int repetitions = 1 + in.Byte() % 3;
    const std::size_t cut = v + 1 < versions ? in.Byte() % (sections.size() + 1) : sections.size();
    for (int r = 0; r < repetitions; ++r) {
      for (std::size_t i = 0; i < (r + 1 == repetitions ? cut : sections.size()); ++i) {
        const std::uint8_t extras = in.Byte();
        if (extras & 0x01) carrier.Pack(BuildStuffingSection(3 + in.Byte() * 4u));
        if (extras & 0x02 && !otherSections.empty()) carrier.Pack(otherSections[i % otherSections.size()]);
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

  for (int faults = in.Byte() % 4; faults > 0 && !built.Packets.empty(); --faults) {
    const std::uint8_t kind = in.Byte();
    const std::size_t index = in.U16() % built.Packets.size();
    if (kind % 3 == 0) DropPacket(built.Packets, index);
    else if (kind % 3 == 1) DuplicatePacket(built.Packets, index);
    else DamagePacket(built.Packets, index);
  }
  return built;
}

void RequireBuilt(const OurTables& ours, const Built& built, const char* invariant) {
  for (const Sections& table : ours.Tables) {
    const auto version = built.TableOfVersion.find(static_cast<std::uint8_t>(table[0][5] >> 1 & 0x1F));
    Require(version != built.TableOfVersion.end() && version->second == table, invariant);
  }
}

class CountingHost : public NitFilterHost {
 public:
  void SendStartFilter() override { ++Calls; }
  void SendStopFilter() override { ++Calls; }
  int Calls = 0;
};

void CheckCapture(const std::vector<TsPacket>& packets, bool tableComplete) {
  CountingHost host;
  RecordingNitSink sink;
  NitCapture capture(host, sink, '.');
  capture.StartSearch();
  const int calls = host.Calls;
  for (const TsPacket& packet : packets) {
    const Bytes payload = PacketPayload(packet);
    const auto exact = std::make_unique<std::uint8_t[]>(payload.size());
    std::copy(payload.begin(), payload.end(), exact.get());
    capture.Deliver(static_cast<std::int32_t>(payload.size()), exact.get());
  }
  Require(host.Calls == calls, "capture: a delivery never calls the host");
  Require(capture.SearchDone() == tableComplete, "capture: the search ends with the first complete table");
}

void CheckLayout(FuzzBytes& in) {
  const Built built = BuildLayout(in);
  const OurTables velqtp = DecodeAsVelqtp(built.Packets);
  RequireBuilt(velqtp, built, "velqtp: every complete table is one that was built");
  const bool adaptation = std::any_of(built.Packets.begin(), built.Packets.end(),
                                      [](const TsPacket& p) { return (p[3] & 0x20) != 0; });
  if (!adaptation) {
    const OurTables plugin = DecodeAsPlugin(built.Packets);
    RequireBuilt(plugin, built, "plug-in: every complete table is one that was built");
    CheckCapture(built.Packets, !plugin.Tables.empty());
  }

  std::set<std::uint8_t> ourVersions;
  for (const Sections& table : velqtp.Tables) ourVersions.insert(static_cast<std::uint8_t>(table[0][5] >> 1 & 0x1F));
  for (const Table& theirs : DecodeWithDvbpsi(built.Packets)) {
    const auto version = built.TableOfVersion.find(theirs.Version);
    Require(version != built.TableOfVersion.end() && TableOfSections(version->second) == theirs,
            "libdvbpsi: every complete table is one that was built");
    Require(ourVersions.count(theirs.Version) == 1, "velqtp completes every table libdvbpsi completes");
  }
}

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velq::fuzz;
  if (size > 0 && data[0] == 0x47) {
    CheckRecording({data, size});
  } else if (size > 0 && data[0] == 0x01) {
    CheckRecording({data + 1, size - 1});
  } else {
    FuzzBytes in({data, size});
    if (size > 0) in.Byte();
    CheckLayout(in);
  }
  return 0;
}
