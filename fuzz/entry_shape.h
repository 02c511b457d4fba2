#pragma once
// The shapes the parser's texts must have whatever bytes it was given: the
// search window reads frequency and polarisation back by character
// position, and the list file stores entries and codes as they are.

#include <string_view>

namespace velq::fuzz {

// F "," P "," S C M T: 5-digit frequency in 1..12799 MHz, H/V/left/right,
// 5-digit symbol rate in 1..30000 ksymbol/s, an optional code rate,
// ",DVB-S" or ",DVB-S2", and the modulation.
bool IsEntryTextShape(std::string_view text);

// Name, a space, degrees ("13" or "19.2" with `decimalSeparator`), a space,
// the degree sign 0xB0 and E or W.
bool IsSatelliteLineShape(std::string_view line, char decimalSeparator);

// A position code is a decimal number, four digits for east positions.
bool IsPositionCodeShape(std::string_view code);

}  // namespace velq::fuzz
