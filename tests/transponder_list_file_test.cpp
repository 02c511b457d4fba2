#include "search/transponder_list_file.h"

#include <gtest/gtest.h>

namespace velq {
namespace {

TEST(TransponderListFileTest, ExactBytes) {
  const TransponderList list{"0192",
                             "Astra 1F/1G/1H/1KR/1L (19,2\xB0"
                             "E)",
                             {"11727,V,27500,34,DVB-S,QPSK", "12188,H,27500,23,DVB-S2,8PSK"}};
  EXPECT_EQ(TransponderListFileBytes(list, {2024, 3, 9, 18, 5, 42}, ':'),
            ";    [Created by Velq Transponders Updater 2024-03-09 18:05:42]\r\n"
            "[SATTYPE]\r\n"
            "1=0192\r\n"
            "2=Astra 1F/1G/1H/1KR/1L (19,2\xB0"
            "E)\r\n"
            "[DVB]\r\n"
            "0=2\r\n"
            "1=11727,V,27500,34,DVB-S,QPSK\r\n"
            "2=12188,H,27500,23,DVB-S2,8PSK\r\n");
}

TEST(TransponderListFileTest, NoEntriesAndEmptyName) {
  EXPECT_EQ(TransponderListSections({"3300", "", {}}), "[SATTYPE]\r\n1=3300\r\n2=\r\n[DVB]\r\n0=0\r\n");
}

TEST(TransponderListFileTest, HeaderPadsFieldsAndUsesTheLocaleSeparator) {
  EXPECT_EQ(CreatedByLine({987, 1, 2, 0, 4, 5}, '.'),
            ";    [Created by Velq Transponders Updater 0987-01-02 00.04.05]\r\n");
}

TEST(TransponderListFileTest, KeysAboveNineInDecimal) {
  const std::string sections = TransponderListSections({"0130", "", std::vector<std::string>(10, "x")});
  EXPECT_NE(sections.find("\r\n0=10\r\n1=x\r\n"), std::string::npos);
  EXPECT_EQ(sections.substr(sections.size() - 6), "10=x\r\n");
}

}  // namespace
}  // namespace velq
