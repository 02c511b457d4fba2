// Writes the seed corpora: capture programs that deliver whole tables,
// NIT sections with the descriptors worth starting from, and recorded
// streams of 188-, 192- and 204-byte packets, the sample captures among
// them. Run after the program encoding, the builder or the samples change:
//   velq_fuzz_seeds fuzz/corpus samples

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/capture_program.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Transponder At(std::uint32_t khz, std::uint16_t tenths, Hemisphere side, std::uint32_t symbols,
               FecInner fec = FecInner::Fec3_4) {
  return {.FrequencyKhz = khz, .PositionTenths = tenths, .hemisphere = side,
          .polarisation = Polarisation::Vertical, .SymbolRate = symbols, .Fec = fec};
}

std::vector<Transponder> Band(int count, std::uint32_t firstKhz, std::uint16_t tenths) {
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    list.push_back(At(firstKhz + 19180u * static_cast<std::uint32_t>(i), tenths,
                      Hemisphere::East, 27500000));
  }
  return list;
}

// The odd ones: west, C band, a slow rate, no code rate, and the limits.
std::vector<Transponder> Oddities() {
  return {At(11727500, 192, Hemisphere::East, 27500000),
          At(3840000, 300, Hemisphere::West, 6111000, FecInner::Fec7_8),
          At(12188000, 8, Hemisphere::West, 30000000, FecInner::NotDefined),
          At(12800000, 130, Hemisphere::East, 27500000, FecInner::NoCoding),
          At(10714000, 1800, Hemisphere::West, 30001000),
          At(0, 0, Hemisphere::East, 0)};
}

class ProgramWriter {
 public:
  ProgramWriter& Op(CaptureOp op) { return Byte(static_cast<std::uint8_t>(op)); }
  ProgramWriter& Byte(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  ProgramWriter& U16(std::uint16_t value) { return Byte(value >> 8).Byte(value & 0xFF); }
  ProgramWriter& U32(std::uint32_t value) { return U16(value >> 16).U16(value & 0xFFFF); }
  ProgramWriter& Length(std::int32_t length) {
    for (std::size_t code = 0; code < kLengthChoices.size(); ++code) {
      if (kLengthChoices[code] == length) return Byte(static_cast<std::uint8_t>(code));
    }
    return Byte(0xFF).U16(static_cast<std::uint16_t>(length));  // odd code: taken as it is
  }
  ProgramWriter& Payload(std::int32_t length, std::uint8_t fill) {
    bytes_.insert(bytes_.end(), static_cast<std::size_t>(length), fill);
    return *this;
  }
  ProgramWriter& Start(StartCode start) { return Byte(static_cast<std::uint8_t>(start)); }
  ProgramWriter& Table(const std::vector<Transponder>& list, std::uint8_t perSection,
                       std::uint8_t carriage = 0) {
    Op(CaptureOp::DeliverWholeTable).Byte(carriage).Byte(static_cast<std::uint8_t>(list.size()));
    Byte(static_cast<std::uint8_t>(perSection - 1));
    for (const Transponder& t : list) {
      U32(t.FrequencyKhz).U16(t.PositionTenths);
      Byte(static_cast<std::uint8_t>(
          (t.hemisphere == Hemisphere::East ? 0x80 : 0) |
          static_cast<int>(t.polarisation) << 5 | t.RollOff << 3 |
          static_cast<int>(t.system) << 2 | static_cast<int>(t.modulation)));
      U32(t.SymbolRate / 100).Byte(static_cast<std::uint8_t>(t.Fec));
    }
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

void WriteCaptureSeeds(const std::filesystem::path& folder) {
  using Op = CaptureOp;
  using S = StartCode;
  WriteSeed(folder, "one-section-table",
            ProgramWriter().Op(Op::StartSearch).Table(Band(3, 10729000, 192), 16).bytes());
  WriteSeed(folder, "five-section-table",
            ProgramWriter().Op(Op::StartSearch).Table(Band(20, 10729000, 130), 4).bytes());
  WriteSeed(folder, "packed-with-stuffing-known-starts",
            ProgramWriter()
                .Op(Op::StartSearch)
                .Table(Band(40, 10729000, 130), 3, kCarriagePacked | kCarriageStuffing | kCarriageKnownStarts)
                .bytes());
  WriteSeed(folder, "packed-with-stuffing-inferred",
            ProgramWriter().Op(Op::StartSearch).Table(Band(40, 10729000, 282), 7,
                                                      kCarriagePacked | kCarriageStuffing).bytes());
  WriteSeed(folder, "odd-transponders",
            ProgramWriter().Op(Op::StartSearch).Table(Oddities(), 2, kCarriagePacked).bytes());
  // Section length 500 over three payloads, as the host hands them over.
  WriteSeed(folder, "worked-example",
            ProgramWriter()
                .Op(Op::StartSearch)
                .Op(Op::DeliverSectionStart).Start(S::HostCall).Length(184).U16(500).Byte(0).Byte(0)
                .Payload(175, 0xFF)
                .Op(Op::DeliverBytes).Start(S::HostCall).Length(184).Payload(184, 0xFF)
                .Op(Op::DeliverBytes).Start(S::HostCall).Length(184).Payload(184, 0xFF)
                .bytes());
  WriteSeed(folder, "repeated-search",
            ProgramWriter()
                .Op(Op::StartSearch).Table(Band(12, 11038000, 192), 5)
                .Op(Op::StopNitFilter).Op(Op::StartSearch)
                .Op(Op::DeliverTableHead).Byte(2).Op(Op::Discontinuity)
                .Op(Op::StopSearch).Op(Op::StartSearch).Op(Op::DeliverTableHead).Byte(255)
                .bytes());
  WriteSeed(folder, "odd-lengths",
            ProgramWriter()
                .Op(Op::StartSearch)
                .Op(Op::DeliverSectionStart).Start(S::UnitStart).Length(552).U16(1000).Byte(0).Byte(1)
                .Payload(543, 0)
                .Op(Op::DeliverSectionStart).Start(S::Unknown).Length(8).U16(1).Byte(1).Byte(1)
                .Op(Op::DeliverNull).Length(184)
                .Op(Op::DeliverBytes).Start(S::Continuation).Length(0)
                .Op(Op::DeliverBytes).Start(S::HostCall).Length(1).Byte(0)
                .Op(Op::DeliverBytes).Start(S::UnitStart).Length(-1)
                .Op(Op::DeliverBytes).Start(S::HostCall).Length(920).Payload(920, 0x43)
                .Table(Band(5, 11038000, 192), 1, kCarriageKnownStarts)
                .bytes());
}

Bytes Concatenated(const std::vector<SectionBytes>& sections) {
  Bytes bytes;
  for (const SectionBytes& s : sections) bytes.insert(bytes.end(), s.begin(), s.end());
  return bytes;
}

Bytes WithLead(std::uint8_t lead, Bytes bytes) {
  bytes.insert(bytes.begin(), lead);
  return bytes;
}

void WriteParserSeeds(const std::filesystem::path& folder) {
  const Bytes hotbird = Concatenated(BuildNitSections({.Transponders = Band(30, 10719000, 130)}));
  WriteSeed(folder, "sections-13.0E", WithLead('.', hotbird));
  Bytes odd = Concatenated(BuildNitSections({.Transponders = Oddities()}));
  WriteSeed(folder, "odd-transponders", WithLead(',', odd));

  // 43 0B inside a service list: a descriptor only by byte search.
  NitTable services{.Transponders = Band(4, 10700000, 192)};
  services.Transponders[1].ServiceIds = {0x430B, 0x1234, 0x0111, 0x2750, 0x0300};
  WriteSeed(folder, "service-id-430b", WithLead('.', Concatenated(BuildNitSections(services))));

  const auto one = EncodeSatelliteDescriptor(Oddities()[0]);
  WriteSeed(folder, "one-descriptor", WithLead('.', Bytes(one.begin(), one.end())));
}

// Packets of `stride` bytes: `before` bytes ahead of each 188-byte packet,
// the rest after it; a null packet after every table packet.
Bytes Recording(const std::vector<TsPacket>& packets, std::size_t stride, std::size_t before,
                const Bytes& garbage) {
  TsPacket stuffing{};
  stuffing.fill(0xFF);
  stuffing[0] = 0x47;
  stuffing[1] = 0x1F;  // PID 0x1FFF
  stuffing[2] = 0xFF;
  stuffing[3] = 0x10;
  const TsPacket& null = stuffing;
  Bytes bytes = garbage;
  std::uint8_t stamp = 0;
  for (const TsPacket& packet : packets) {
    for (const TsPacket* p : {&packet, &null}) {
      bytes.insert(bytes.end(), before, stamp++);
      bytes.insert(bytes.end(), p->begin(), p->end());
      bytes.insert(bytes.end(), stride - before - p->size(), 0x47);
    }
  }
  return bytes;
}

void WriteStreamSeeds(const std::filesystem::path& folder) {
  const std::vector<TsPacket> packets = SectionsToPackets(
      BuildNitSections({.NetworkName = "Velq Sat", .Transponders = Band(10, 11000000, 192),
                        .TranspondersPerSection = 5}));
  const Bytes garbage = {0x47, 0x00, 0x47, 0x47, 0x12, 0x47, 0x10, 0x00};
  WriteSeed(folder, "packets-188", WithLead(0, Recording(packets, 188, 0, {})));
  WriteSeed(folder, "packets-192", WithLead(3, Recording(packets, 192, 4, garbage)));
  WriteSeed(folder, "packets-204", WithLead(77, Recording(packets, 204, 0, garbage)));
}

// The sample captures as they are, after the block-pattern byte.
void WriteSampleSeeds(const std::filesystem::path& folder, const std::filesystem::path& samples) {
  for (const auto& file : std::filesystem::directory_iterator(samples)) {
    if (file.path().extension() != ".ts") continue;
    std::ifstream in(file.path(), std::ios::binary);
    Bytes bytes{0};
    bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), {});
    WriteSeed(folder, "sample-" + file.path().stem().string(), bytes);
  }
}

}  // namespace
}  // namespace velq::fuzz

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velq_fuzz_seeds <corpus folder> <samples folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  velq::fuzz::WriteCaptureSeeds(root / "nit_capture_fuzzer");
  velq::fuzz::WriteParserSeeds(root / "nit_parser_fuzzer");
  velq::fuzz::WriteStreamSeeds(root / "ts_scan_fuzzer");
  velq::fuzz::WriteSampleSeeds(root / "ts_scan_fuzzer", argv[2]);
  return 0;
}
