// make_sample_ts: a transport-stream capture from a dtv-scan-tables DVB-S
// file, for velqtp's samples, tests and benchmark.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "lists/dvbv5_channel_file.h"
#include "lists/position_in_name.h"
#include "tools/make_sample_ts/sample_stream.h"

namespace {

// Written a piece at a time: a benchmark's lead-in runs to hundreds of MB.
std::uint64_t WriteLeadIn(std::ofstream& out, std::uint64_t bytes, std::uint32_t seed) {
  constexpr std::uint64_t kPacketsPerPiece = 8192;
  velq::OtherPidPackets packets(seed + 1);
  std::vector<std::uint8_t> piece;
  std::uint64_t left = bytes / velq::kTsPacketBytes;
  while (left > 0) {
    const std::uint64_t count = std::min(left, kPacketsPerPiece);
    piece.clear();
    packets.Append(piece, count);
    out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    left -= count;
  }
  return bytes / velq::kTsPacketBytes * velq::kTsPacketBytes;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "Makes a transport-stream capture (188-byte packets) from a DVB-S transponder list of\n"
      "Debian's dtv-scan-tables (/usr/share/dvb/dvb-s/): the NIT actual on PID 0x0010 with a\n"
      "satellite delivery system descriptor per channel, in several sections, repeated, with\n"
      "packets of other PIDs between its packets; one section per payload start, or packed\n"
      "back to back with stuffing sections between. The same arguments give the same bytes.",
      "make_sample_ts");
  std::string inputPath, outputPath, positionText;
  velq::SampleStreamOptions options;
  double leadInMb = 0;
  app.add_option("INPUT", inputPath, "a dvbv5 channel file, e.g. /usr/share/dvb/dvb-s/Hotbird-13.0E")
      ->required()
      ->check(CLI::ExistingFile);
  app.add_option("OUTPUT", outputPath, "the .ts file to write")->required();
  app.add_option("--position", positionText,
                 "orbital position, e.g. 13.0E or 7.0W (default: from the end of INPUT's name)");
  app.add_option("--network-name", options.networkName, "the network name descriptor's text");
  app.add_option("--network-id", options.networkId, "the table's network_id (default 1)");
  bool nitOther = false;
  app.add_flag("--nit-other", nitOther, "send the table as another network's (table 0x41), not the actual's");
  app.add_option("--per-section", options.transpondersPerSection, "transponders per NIT section (default 16)")
      ->check(CLI::Range(1, 200));
  app.add_option("--repeat", options.repetitions, "how often the whole table is sent (default 3)")
      ->check(CLI::Range(1, 1000));
  app.add_flag("--start-mid-section", options.startMidSection,
               "begin the capture inside section 0 (its first packet is missing)");
  app.add_flag("--packed", options.packed,
               "sections back to back: a section starts where the one before it ended (pointer_field)");
  app.add_option("--stuffing", options.stuffingBytes,
                 "a stuffing section (table 0x72) of this many bytes before each NIT section (default none)")
      ->check(CLI::Range(3, 4096));
  app.add_option("--lead-in-mb", leadInMb, "megabytes of other packets before the first table (default 0)")
      ->check(CLI::Range(0.0, 100000.0));
  app.add_option("--seed", options.seed, "seed of the filler packets' contents (default 1)");
  CLI11_PARSE(app, argc, argv);
  if (nitOther) options.tableId = 0x41;

  const std::string named = positionText.empty() ? inputPath : positionText;
  const std::optional<velq::OrbitalPosition> position = velq::PositionInName(named);
  if (!position) {
    std::fprintf(stderr, "make_sample_ts: no orbital position in \"%s\"; give --position, e.g. 13.0E\n",
                 named.c_str());
    return 2;
  }
  try {
    std::ifstream in(inputPath);
    const auto transponders = velq::ReadDvbv5Channels(in, static_cast<std::uint16_t>(position->Tenths), position->hemisphere);
    const std::vector<std::uint8_t> tables = velq::BuildSampleStream(transponders, options);
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    const std::uint64_t leadIn = WriteLeadIn(out, static_cast<std::uint64_t>(leadInMb * 1e6), options.seed);
    out.write(reinterpret_cast<const char*>(tables.data()), static_cast<std::streamsize>(tables.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + outputPath);
    std::printf("%s: %zu transponders, %llu bytes\n", outputPath.c_str(), transponders.size(),
                static_cast<unsigned long long>(leadIn + tables.size()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_sample_ts: %s\n", e.what());
    return 1;
  }
  return 0;
}
