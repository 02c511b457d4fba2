#include "search/nit_parser.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/satellite_descriptor.h"
#include "tests/support/recording_nit_sink.h"

namespace velq {
namespace {

using Descriptor = std::array<std::uint8_t, 13>;
using Patch = std::vector<std::pair<int, std::uint8_t>>;

// 11.72750 GHz, 19.2 E, vertical, DVB-S, QPSK, 27.5 Msymbol/s, FEC 3/4.
constexpr Descriptor kAstra = {0x43, 0x0B, 0x01, 0x17, 0x27, 0x50, 0x01,
                               0x92, 0xA1, 0x02, 0x75, 0x00, 0x03};
const std::string kAstraEntry = "11727,V,27500,34,DVB-S,QPSK";
const std::string kAstraLine = "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E) 19.2 \xB0" "E";

Descriptor Patched(Patch patch, Descriptor d = kAstra) {
  for (const auto& [offset, value] : patch) d[static_cast<std::size_t>(offset)] = value;
  return d;
}

struct ParseRun {
  std::vector<std::uint8_t> Buffer = std::vector<std::uint8_t>(kNitBufferSize, 0);
  SatPosition Position{"before", "before"};
  RecordingNitSink Sink;

  ParseRun& Place(std::size_t offset, const Descriptor& d) {
    std::copy(d.begin(), d.end(), Buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    return *this;
  }
  // Descriptors 20 bytes apart, as a transport stream loop would space them.
  ParseRun& Sequence(std::initializer_list<Descriptor> descriptors) {
    std::size_t offset = 16;
    for (const Descriptor& d : descriptors) Place(offset, d), offset += 20;
    return *this;
  }
  ParseRun& Parse(char separator = '.') {
    ParseNitBuffer(Buffer, Position, Sink, separator);
    return *this;
  }
};

TEST(ParseNitBuffer, DecodesTheWorkedExample) {
  ParseRun run;
  run.Place(100, kAstra).Parse();
  EXPECT_EQ(run.Sink.Entries, std::vector<std::string>{kAstraEntry});
  EXPECT_EQ(run.Position.SatPositionCode, "0192");
  EXPECT_EQ(run.Position.SatPositionName, "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)");
  EXPECT_EQ(run.Sink.SatelliteLines, std::vector<std::string>{kAstraLine});

  ParseRun comma;
  comma.Place(100, kAstra).Parse(',');
  EXPECT_EQ(comma.Sink.SatelliteLines.back(),
            "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E) 19,2 \xB0" "E");
}

TEST(DecodeEntryText, BuildsTheTextOrRejects) {
  const struct {
    Patch patch;
    std::optional<std::string> expected;
  } cases[] = {
      {{}, kAstraEntry},
      {{{2, 0x00}, {3, 0x38}, {4, 0x40}, {5, 0x00}, {8, 0xE1}, {9, 0x00}, {10, 0x61}, {11, 0x11},
        {12, 0x55}},
       "03840,right,06111,78,DVB-S,QPSK"},
      {{{8, 0x06}}, "11727,H,27500,34,DVB-S2,8PSK"},
      {{{8, 0x43}}, "11727,left,27500,34,DVB-S,16-QAM"},
      {{{8, 0xA0}}, "11727,V,27500,34,DVB-S,Auto"},
      // Roll-off bits and the 10 kHz digits do not show.
      {{{8, 0xB9}, {5, 0x99}}, kAstraEntry},
      {{{12, 0x09}}, "11727,V,27500,910,DVB-S,QPSK"},
      {{{12, 0x00}}, "11727,V,27500,DVB-S,QPSK"},
      {{{12, 0x0A}}, "11727,V,27500,DVB-S,QPSK"},
      {{{12, 0x0F}}, "11727,V,27500,DVB-S,QPSK"},
      // Frequency: 0 < F < 12800 MHz.
      {{{3, 0x27}, {4, 0x99}, {5, 0x99}}, "12799,V,27500,34,DVB-S,QPSK"},
      {{{3, 0x28}, {4, 0x00}, {5, 0x00}}, std::nullopt},
      {{{2, 0x00}, {3, 0x00}, {4, 0x00}}, std::nullopt},
      {{{2, 0x00}, {3, 0x00}, {4, 0x01}}, "00001,V,27500,34,DVB-S,QPSK"},
      {{{2, 0x10}}, std::nullopt},
      // Symbol rate: 0 < S <= 30000 ksymbol/s.
      {{{9, 0x03}, {10, 0x00}, {11, 0x00}}, "11727,V,30000,34,DVB-S,QPSK"},
      {{{9, 0x03}, {10, 0x00}, {11, 0x01}}, std::nullopt},
      {{{9, 0x00}, {10, 0x00}, {11, 0x00}}, std::nullopt},
      // Digits that are not decimal.
      {{{3, 0x1A}}, std::nullopt},
      {{{4, 0xA0}}, std::nullopt},
      {{{10, 0x7A}}, std::nullopt},
      {{{11, 0xF0}}, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Descriptor d = Patched(cases[i].patch);
    EXPECT_EQ(DecodeEntryText(d), cases[i].expected) << "case " << i;
  }
}

TEST(ParseNitBuffer, SetsCodeNameAndLineForEachHemisphere) {
  const struct {
    std::uint8_t high, low, flags;
    const char* code;
    const char* line;
  } cases[] = {
      {0x01, 0x30, 0xA1, "0130", "Hotbird 6/7A/8 (13\xB0" "E) 13 \xB0" "E"},
      {0x00, 0x00, 0xA1, "0000", " 0 \xB0" "E"},
      {0x03, 0x00, 0x06, "3300", "Hispasat 1A, 1B, 1C, 1D 30 \xB0" "W"},
      {0x00, 0x70, 0x21, "3530", "Nilesat 101,102,103 7 \xB0" "W"},
      {0x00, 0x08, 0x21, "3592", "Thor 1, 2, 3 0.8 \xB0" "W"},
      {0x18, 0x00, 0x21, "1800", " 180 \xB0" "W"},
      {0x06, 0x10, 0x21, "2990", " 61 \xB0" "W"},
  };
  for (const auto& c : cases) {
    ParseRun run;
    run.Place(40, Patched({{6, c.high}, {7, c.low}, {8, c.flags}})).Parse();
    EXPECT_EQ(run.Position.SatPositionCode, c.code);
    ASSERT_EQ(run.Sink.SatelliteLines.size(), 1u) << c.code;
    EXPECT_EQ(run.Sink.SatelliteLines[0], c.line);
  }
}

TEST(ParseNitBuffer, WithoutCandidatesChangesNothing) {
  ParseRun run;
  run.Place(50, Patched({{1, 0x0C}})).Place(100, Patched({{0, 0x44}})).Parse();
  EXPECT_TRUE(run.Sink.Entries.empty());
  EXPECT_TRUE(run.Sink.SatelliteLines.empty());
  EXPECT_EQ(run.Position.SatPositionCode, "before");
  EXPECT_EQ(run.Position.SatPositionName, "before");
}

TEST(ParseNitBuffer, ScansEveryOffsetUpToTheLastWholeDescriptor) {
  ParseRun run;
  // A candidate at 10 whose frequency bytes are 43 0B: not decimal, no
  // entry, but the scan still finds the descriptor that starts inside it.
  run.Buffer[10] = 0x43;
  run.Buffer[11] = 0x0B;
  run.Place(12, kAstra);
  run.Place(40, kAstra);
  run.Place(kNitBufferSize - 13, Patched({{3, 0x18}}));
  run.Parse();
  EXPECT_EQ(run.Sink.Entries, (std::vector<std::string>{kAstraEntry, kAstraEntry,
                                                        "11827,V,27500,34,DVB-S,QPSK"}));

  ParseRun pastEnd;  // 12 of the 13 bytes fit
  std::copy_n(kAstra.begin(), 12, pastEnd.Buffer.end() - 12);
  pastEnd.Parse();
  EXPECT_TRUE(pastEnd.Sink.Entries.empty());
}

TEST(ParseNitBuffer, LastCandidateDecidesTheCodeEvenWhenRejected) {
  ParseRun run;
  const Descriptor rejectedWest = Patched({{6, 0x00}, {7, 0x70}, {8, 0x21}, {2, 0x00}, {3, 0x00},
                                           {4, 0x00}});
  run.Sequence({kAstra, rejectedWest}).Parse();
  EXPECT_EQ(run.Sink.Entries.size(), 1u);
  EXPECT_EQ(run.Position.SatPositionCode, "3530");
  EXPECT_EQ(run.Position.SatPositionName, "Nilesat 101,102,103");
  EXPECT_EQ(run.Sink.SatelliteLines, std::vector<std::string>{kAstraLine});
}

TEST(ParseNitBuffer, NonDecimalDigitsSkipOnlyThatCandidate) {
  const Descriptor hotbird = Patched({{6, 0x01}, {7, 0x30}});
  const Descriptor badFrequency = Patched({{3, 0x1B}, {6, 0x00}, {7, 0x70}, {8, 0x21}});
  const Descriptor badPosition = Patched({{6, 0x0A}});
  const Descriptor badSymbolRate = Patched({{10, 0xC5}});

  ParseRun run;
  run.Sequence({kAstra, badSymbolRate, badFrequency, hotbird, badPosition}).Parse();
  EXPECT_EQ(run.Sink.Entries, (std::vector<std::string>{kAstraEntry, kAstraEntry}));
  // A bad position leaves what the candidate before it set.
  EXPECT_EQ(run.Position.SatPositionCode, "0130");

  ParseRun positionFine;
  positionFine.Sequence({kAstra, badFrequency}).Parse();
  EXPECT_EQ(positionFine.Position.SatPositionCode, "3530");
}

TEST(ParseNitBuffer, EachCandidateStandsAlone) {
  ParseRun run;
  const Descriptor unknownPosition = Patched({{7, 0x93}});
  const Descriptor noCodeRate = Patched({{12, 0x00}});
  run.Sequence({kAstra, kAstra, unknownPosition, noCodeRate}).Parse();
  EXPECT_EQ(run.Sink.Entries, (std::vector<std::string>{kAstraEntry, kAstraEntry, kAstraEntry,
                                                        "11727,V,27500,DVB-S,QPSK"}));
  EXPECT_EQ(run.Sink.SatelliteLines[2], " 19.3 \xB0" "E");
  EXPECT_EQ(run.Sink.SatelliteLines[3], kAstraLine);

  ParseRun unknownLast;
  unknownLast.Sequence({kAstra, unknownPosition}).Parse();
  EXPECT_EQ(unknownLast.Position.SatPositionName, "");
  EXPECT_EQ(unknownLast.Position.SatPositionCode, "0193");
}

}  // namespace
}  // namespace velq
