#pragma once
// Reads DVB-S transponder lists in the DVBv5 channel format of Debian's
// dtv-scan-tables (/usr/share/dvb/dvb-s/*) and of dvbv5-scan's output:
// [CHANNEL] blocks of KEY = VALUE lines.

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <vector>

#include "search/satellite_descriptor_encoder.h"

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

struct Dvbv5Channels {
  std::vector<Transponder> transponders;
  std::size_t apskSkipped = 0;  // 16APSK/32APSK channels: the descriptor has no code for them
};

// The same, but channels whose modulation the descriptor cannot name are
// left out and counted, so that no list claims "Auto" for them.
Dvbv5Channels ReadDvbv5ChannelsSkippingApsk(std::istream& in, std::uint16_t positionTenths,
                                            Hemisphere hemisphere);

}  // namespace velq
