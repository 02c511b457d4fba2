#include "search/duplicate_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "search/vector_check_list.h"

namespace velq {
namespace {

using Entries = std::vector<VectorCheckList::Entry>;

VectorCheckList ListOf(const Entries& entries) {
  VectorCheckList list;
  for (const auto& e : entries) list.Add(e.text, e.checked);
  return list;
}

TEST(RemoveDuplicatedTest, KeepsTheFirstOfCaseBlindEqualsAndChecksEverything) {
  VectorCheckList empty;
  EXPECT_EQ(RemoveDuplicated(empty), (SearchStatus{"Search finished", "Found 0 TP(s) in total"}));

  VectorCheckList list = ListOf({{"11727,V,27500,34,DVB-S,QPSK", false}, {"11727,v,27500,34,dvb-s,qpsk", false},
                                 {"11727,V,27500,34,DVB-S,QPSK", true}, {"12188,H,27500,23,DVB-S2,8PSK", false},
                                 {"10714,H,22000,56,DVB-S,QPSK", true}});
  EXPECT_EQ(RemoveDuplicated(list), (SearchStatus{"Search finished", "Found 3 TP(s) in total"}));
  // Lower case sorts first, so the lower-case text is the first of its group.
  EXPECT_EQ(list.entries(), (Entries{{"10714,H,22000,56,DVB-S,QPSK", true}, {"11727,v,27500,34,dvb-s,qpsk", true},
                                     {"12188,H,27500,23,DVB-S2,8PSK", true}}));
}

// d: the spin box's value at each read, the last one repeated.
TEST(RemoveNearDuplicatesTest, ComparesNeighboursOnTheSamePolarisation) {
  const struct { const char* name; Entries before; std::vector<int> d; std::vector<std::string> kept; } cases[] = {
      {"difference equal to D", {{"11000,H,1"}, {"11005,H,1"}}, {5}, {"11000,H,1"}},
      {"one more than D", {{"11000,H,1"}, {"11006,H,1"}}, {5}, {"11000,H,1", "11006,H,1"}},
      {"chain keeps only the first", {{"11000,H,1"}, {"11004,H,1"}, {"11008,H,1"}}, {5}, {"11000,H,1"}},
      {"other polarisation between", {{"11000,H,1"}, {"11002,V,1"}, {"11004,H,1"}}, {5},
       {"11000,H,1", "11002,V,1", "11004,H,1"}},
      {"same frequency, other polarisation", {{"11000,H,1"}, {"11000,V,1"}}, {1}, {"11000,H,1", "11000,V,1"}},
      {"identical texts", {{"11000,H,1"}, {"11000,H,1"}}, {1}, {"11000,H,1"}},
      {"unchecked by hand is deleted too", {{"10000,H,1", false}, {"12000,H,1"}}, {20}, {"12000,H,1"}},
      {"single unchecked entry", {{"11000,H,1", false}}, {5}, {}},
      {"signed difference", {{"+1000,H,1"}, {"-1000,H,1"}}, {1}, {"+1000,H,1"}},
      {"too short for a polarisation", {{"11000,"}, {"11000,"}}, {5}, {"11000,", "11000,"}},
      {"D read again for each pair", {{"11000,H"}, {"11003,H"}, {"11006,H"}, {"11009,H"}}, {2, 3, 2},
       {"11000,H", "11003,H", "11009,H"}},
  };
  for (const auto& c : cases) {
    VectorCheckList list = ListOf(c.before);
    std::size_t reads = 0;
    const auto d = [&] { return c.d[std::min(reads++, c.d.size() - 1)]; };
    EXPECT_TRUE(RemoveNearDuplicates(list, d) == FinishedStatus(static_cast<int>(c.kept.size()))) << c.name;
    EXPECT_EQ(reads, c.before.size() - 1) << c.name;
    EXPECT_EQ(list.CheckedTexts(), c.kept) << c.name;
    EXPECT_EQ(list.Count(), static_cast<int>(c.kept.size())) << c.name;
  }
}

TEST(RemoveNearDuplicatesTest, StopsAtAnInvalidFrequencyWithoutDeleting) {
  // Sorted: 11000, 11003, 12000, 13000, 1x000 (letters after digits).
  VectorCheckList list = ListOf({{"11000,H,1"}, {"11003,H,1"}, {"12000,V,1", false}, {"1x000,H,1"}, {"13000,H,1"}});
  try {
    RemoveNearDuplicates(list, 5);
    ADD_FAILURE() << "no error";
  } catch (const InvalidIntegerError& e) {
    EXPECT_STREQ(e.what(), "'1x000' is not a valid integer value");
  }
  EXPECT_EQ(list.entries(), (Entries{{"11000,H,1", true}, {"11003,H,1", false}, {"12000,V,1", false},
                                     {"13000,H,1", true}, {"1x000,H,1", true}}));
  // The frequency is the first five characters as an optional sign and digits.
  EXPECT_EQ(EntryFrequency("-0012,H"), -12);
  EXPECT_EQ(EntryFrequency("123"), 123);
  for (const std::string bad : {"", "+", "-,H", " 1000", "1 000", "0x1F0"})
    EXPECT_THROW(EntryFrequency(bad), InvalidIntegerError) << '"' << bad << '"';
}

}  // namespace
}  // namespace velq
