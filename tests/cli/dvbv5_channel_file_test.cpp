#include "tools/make_sample_ts/dvbv5_channel_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velq {
namespace {

std::vector<Transponder> Read(const std::string& text) {
  std::istringstream in(text);
  return ReadDvbv5Channels(in, 192, Hemisphere::East);
}

TEST(ReadDvbv5Channels, ReadsSatelliteChannelsAndSkipsOthers) {
  const auto list = Read(
      "# comment\n"
      "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBS\n\tFREQUENCY = 11727500\n\tPOLARIZATION = VERTICAL\n"
      "\tSYMBOL_RATE = 27500000\n\tINNER_FEC = 3/4\n\tINVERSION = AUTO\n\n"
      "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBT\n\tFREQUENCY = 474000000\n\n"
      "[CHANNEL]\r\n\tDELIVERY_SYSTEM = DVBS2\r\n\tFREQUENCY = 12188004\r\n\tPOLARIZATION = LEFT\r\n"
      "\tSYMBOL_RATE = 6111050\r\n\tINNER_FEC = AUTO\r\n\tMODULATION = APSK/16\r\n\tROLLOFF = 20\r\n");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].FrequencyKhz, 11727500u);
  EXPECT_EQ(list[0].polarisation, Polarisation::Vertical);
  EXPECT_EQ(list[0].system, DeliverySystem::DvbS);
  EXPECT_EQ(list[0].modulation, Modulation::Qpsk);  // DVB-S without MODULATION
  EXPECT_EQ(list[0].Fec, FecInner::Fec3_4);
  EXPECT_EQ(list[0].PositionTenths, 192);
  EXPECT_EQ(list[1].FrequencyKhz, 12188000u);       // rounded to 10 kHz
  EXPECT_EQ(list[1].SymbolRate, 6111100u);          // rounded to 100 symbol/s
  EXPECT_EQ(list[1].polarisation, Polarisation::Left);
  EXPECT_EQ(list[1].modulation, Modulation::Auto);  // APSK has no code
  EXPECT_EQ(list[1].Fec, FecInner::NotDefined);
  EXPECT_EQ(list[1].RollOff, 2);
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
