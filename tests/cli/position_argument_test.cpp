#include "cli/position_argument.h"

#include <gtest/gtest.h>

#include <string>

namespace velq {
namespace {

TEST(FindRowByArgument, PosValuesAndFileCodes) {
  struct Case {
    const char* argument;
    const char* fileName;
  };
  for (const Case& c : {Case{"13.0E", "0130.ini"}, Case{"13e", "0130.ini"}, Case{"13.0e", "0130.ini"},
                        Case{"7.0W", "3530.ini"}, Case{"7W", "3530.ini"}, Case{"0.8W", "3592.ini"},
                        Case{"1.0W", "3590.ini"}, Case{"12.5W", "3475.ini"}, Case{"2E", "0020.ini"},
                        Case{"63.0W", "2970.ini"}, Case{"0130", "0130.ini"}, Case{"0130.ini", "0130.ini"},
                        Case{"3592", "3592.ini"}, Case{"0048", "0048.ini"}}) {
    const CatalogueRow* row = FindRowByArgument(c.argument);
    ASSERT_NE(row, nullptr) << c.argument;
    EXPECT_EQ(row->fileName, c.fileName) << c.argument;
  }
}

TEST(FindRowByArgument, RefusesWhatNamesNoRow) {
  for (const char* argument : {"", "E", "13", "13.05E", "13.E", ".5E", "13,0E", "13.0N", "1801.0E", "19.3E",
                               "0131", "130", "01300", "0130.txt", "abc", "-7.0W", "7.0 W", "1000E"}) {
    EXPECT_EQ(FindRowByArgument(argument), nullptr) << '"' << argument << '"';
  }
}

}  // namespace
}  // namespace velq
