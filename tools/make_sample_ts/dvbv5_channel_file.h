#pragma once
// Reads the DVB-S transponder lists of Debian's dtv-scan-tables
// (/usr/share/dvb/dvb-s/*, the "dvbv5" channel format): [CHANNEL] blocks of
// KEY = VALUE lines.

#include <istream>
#include <stdexcept>
#include <vector>

#include "tests/support/nit_builder.h"

namespace velq {

class ChannelFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The DVB-S and DVB-S2 channels in file order, placed at `position`.
// Values a satellite delivery system descriptor cannot say (FEC AUTO, APSK)
// become its "not defined" and "Auto" codes. Throws ChannelFileError for a
// channel without frequency or symbol rate, or with a value it cannot read.
std::vector<Transponder> ReadDvbv5Channels(std::istream& in, std::uint16_t positionTenths,
                                           Hemisphere hemisphere);

}  // namespace velq
