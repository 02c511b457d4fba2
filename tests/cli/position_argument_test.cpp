#include "cli/position_argument.h"

#include <gtest/gtest.h>

#include <string>

namespace velq {
namespace {

// pos values in any case, with or without ".0"; file codes with or without ".ini"; nullptr: no row.
TEST(FindRowByArgument, PosValuesAndFileCodes) {
  const struct { const char* argument; const char* fileName; } cases[] = {
      {"13.0E", "0130.ini"}, {"13e", "0130.ini"}, {"13.0e", "0130.ini"}, {"7W", "3530.ini"}, {"0.8W", "3592.ini"},
      {"1.0W", "3590.ini"},  {"12.5W", "3475.ini"}, {"2E", "0020.ini"}, {"63.0W", "2970.ini"},
      {"0130", "0130.ini"},  {"0130.ini", "0130.ini"}, {"3592", "3592.ini"}, {"0048", "0048.ini"},
      {"", nullptr}, {"E", nullptr}, {"13", nullptr}, {"13.05E", nullptr}, {"13.E", nullptr}, {".5E", nullptr},
      {"13,0E", nullptr}, {"13.0N", nullptr}, {"1801.0E", nullptr}, {"19.3E", nullptr}, {"0131", nullptr},
      {"130", nullptr}, {"01300", nullptr}, {"0130.txt", nullptr}, {"-7.0W", nullptr}, {"7.0 W", nullptr},
  };
  for (const auto& c : cases) {
    const CatalogueRow* row = FindRowByArgument(c.argument);
    EXPECT_EQ(row ? std::string(row->fileName) : "no row", c.fileName ? c.fileName : "no row") << c.argument;
  }
}

}  // namespace
}  // namespace velq
