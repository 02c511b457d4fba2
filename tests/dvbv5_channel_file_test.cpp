#include "lists/dvbv5_channel_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velq {
namespace {

// No frequency, a frequency that is no number, an unknown polarisation, a line without "=".
TEST(ReadDvbv5Channels, RefusesChannelsItCannotRead) {
  const std::string head = "[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nSYMBOL_RATE = 27500000\n";
  const std::string v = "POLARIZATION = VERTICAL\n", f = "FREQUENCY = 11727000\n";
  for (const std::string& text : {head + v, head + "FREQUENCY = 11.7GHz\n" + v, head + f + "POLARIZATION = DIAGONAL\n",
                                  head + f + v + "MODULATION QPSK\n"}) {
    std::istringstream in(text);
    EXPECT_THROW(ReadDvbv5Channels(in, 192, Hemisphere::East), ChannelFileError) << text;
  }
}

}  // namespace
}  // namespace velq
