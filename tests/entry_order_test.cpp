#include "search/entry_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/vector_check_list.h"

namespace velq {
namespace {

TEST(EntryOrderTest, PairsSortAscending) {
  struct OrderedPair {
    std::string before, after, why;
  };
  const OrderedPair pairs[] = {
      {"11727,H,27500,34,DVB-S,QPSK", "11727,left,27500,34,DVB-S,QPSK", "H before left"},
      {"11727,left,27500,34,DVB-S,QPSK", "11727,right,27500,34,DVB-S,QPSK", "left before right"},
      {"11727,right,27500,34,DVB-S,QPSK", "11727,V,27500,34,DVB-S,QPSK", "right before V"},
      {"10714,V,22000,56,DVB-S,QPSK", "11727,H,27500,34,DVB-S,QPSK", "by frequency"},
      {"11727", "11727,", "a text before its extensions"},
      {"DVB-S,QPSK", "DVB-S2,8PSK", "comma before digit"},
      {"a", "A", "lower case before upper case"},
      {"A", "b", "letters before case"},
      {"Aa", "ab", "case only after the whole text"},
      {",", "0", "punctuation before digits"},
      {"9", "a", "digits before letters"},
      {"\xB0", "0", "degree sign is punctuation"},
      {"e", "\xE9", "plain before accented"},
      {"E", "\xE9", "accent before case"},
      {"\xE9", "f", "accented letter folds to its base"},
      {"ae", "\xE6", "ae before the ligature"},
      {"\xE6", "af", "ligature folds to ae"},
      {"ss", "\xDF", "ss before sharp s"},
      {"x", "\x9F", "Y with diaeresis folds to y"},
      {"z", "\xFE", "thorn after z"},
      {"1", "\xB9", "superscript one folds to one"},
  };
  for (const auto& p : pairs) {
    EXPECT_LT(CompareEntries(p.before, p.after), 0) << p.why;
    EXPECT_GT(CompareEntries(p.after, p.before), 0) << p.why;
    EXPECT_LT(EntrySortKey(p.before), EntrySortKey(p.after)) << p.why;
  }
}

TEST(EntryOrderTest, EqualOnlyWhenIdenticalButCaseBlindEqualityIgnoresCaseOnly) {
  EXPECT_EQ(CompareEntries("11727,V,27500", "11727,V,27500"), 0);
  EXPECT_NE(CompareEntries("11727,v,27500", "11727,V,27500"), 0);
  EXPECT_TRUE(SameEntryIgnoringCase("11727,v,27500,34,dvb-s", "11727,V,27500,34,DVB-S"));
  EXPECT_TRUE(SameEntryIgnoringCase("\xE9t\xE9", "\xC9T\xC9"));  // été / ÉTÉ
  EXPECT_FALSE(SameEntryIgnoringCase("ete", "\xE9t\xE9"));
  EXPECT_FALSE(SameEntryIgnoringCase("ss", "\xDF"));
  EXPECT_FALSE(SameEntryIgnoringCase("11727,V", "11727,V "));
}

TEST(EntryOrderTest, EveryByteFallsInItsClass) {
  auto classOf = [](int c) {
    if (c < 0x20 || c == 0x7F) return 0;
    if (c >= '0' && c <= '9') return 2;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return 3;
    return c < 0x80 ? 1 : -1;  // high bytes: checked by the pairs above
  };
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const int ca = classOf(a), cb = classOf(b);
      if (ca < 0 || cb < 0 || ca == cb) continue;
      EXPECT_EQ(CompareEntries(std::string(1, char(a)), std::string(1, char(b))) < 0, ca < cb) << a << " " << b;
    }
  }
}

TEST(VectorCheckListTest, AddSortsAndReturnsTheIndex) {
  VectorCheckList list;
  EXPECT_EQ(list.Add("12188,H,27500,23,DVB-S2,8PSK", true), 0);
  EXPECT_EQ(list.Add("11727,V,27500,34,DVB-S,QPSK", false), 0);
  EXPECT_EQ(list.Add("11727,V,27500,34,DVB-S,QPSK", true), 1);  // after its equal
  EXPECT_EQ(list.entries(), (std::vector<VectorCheckList::Entry>{{"11727,V,27500,34,DVB-S,QPSK", false},
                                                                 {"11727,V,27500,34,DVB-S,QPSK", true},
                                                                 {"12188,H,27500,23,DVB-S2,8PSK", true}}));
  EXPECT_THROW(list.Delete(3), std::out_of_range);
}

}  // namespace
}  // namespace velq
