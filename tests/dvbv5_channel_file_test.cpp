#include "lists/dvbv5_channel_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velq {
namespace {

std::vector<Transponder> Read(const std::string& text) {
  std::istringstream in(text);
  return ReadDvbv5Channels(in, 192, Hemisphere::East);
}

TEST(ReadDvbv5Channels, RefusesChannelsItCannotRead) {
  for (const char* text : {"[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 1\n",
                           "[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nFREQUENCY = 11.7GHz\nSYMBOL_RATE = 1\n"
                           "POLARIZATION = VERTICAL\n",
                           "[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nFREQUENCY = 1\nSYMBOL_RATE = 1\n"
                           "POLARIZATION = DIAGONAL\n",
                           "[CHANNEL]\nDELIVERY_SYSTEM DVBS\n"}) {
    EXPECT_THROW(Read(text), ChannelFileError) << text;
  }
}

}  // namespace
}  // namespace velq
