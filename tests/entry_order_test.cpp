// The entry list's order, after the rule of entry_order.h: controls, symbols, digits, letters; symbols and digits
// by byte; letters first without regard to accent or case, then by accent in Latin-1's order (grave, acute,
// circumflex, tilde, diaeresis, ring), then lower case before upper case.

#include "search/entry_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/vector_check_list.h"

namespace velq {
namespace {

TEST(EntryOrderTest, PairsSortAscending) {
  const struct { std::string before, after, why; } pairs[] = {
      {"11727,H,27500,34,DVB-S,QPSK", "11727,left,27500,34,DVB-S,QPSK", "H before left"},
      {"11727,left,27500,34,DVB-S,QPSK", "11727,right,27500,34,DVB-S,QPSK", "left before right"},
      {"11727,right,27500,34,DVB-S,QPSK", "11727,V,27500,34,DVB-S,QPSK", "right before V"},
      {"10714,V,22000,56,DVB-S,QPSK", "11727,H,27500,34,DVB-S,QPSK", "by frequency"},
      {"11727", "11727,", "a text before its extensions"}, {"DVB-S,QPSK", "DVB-S2,8PSK", "comma before digit"},
      {"a", "A", "lower case before upper case"}, {"A", "b", "letters before case"},
      {"Aa", "ab", "case only after the whole text"}, {"\xB0", "0", "degree sign is punctuation"},
      {",", "-", "comma before hyphen"}, {"11727,H", "11727-H", "comma before hyphen in an entry"},
      {"e", "\xE9", "plain before accented"}, {"\xE0", "\xE1", "grave before acute"},
      {"\xC0", "\xE1", "grave before acute before case"}, {"E", "\xE9", "accent before case"},
      {"\xE9", "f", "accented letter folds to its base"}, {"ae", "\xE6", "ae before the ligature"},
      {"\xE6", "af", "ligature folds to ae"}, {"ss", "\xDF", "ss before sharp s"},
      {"x", "\x9F", "Y with diaeresis folds to y"}, {"z", "\xFE", "thorn after z"},
      {"1", "\xB9", "superscript one folds to one"},
  };
  for (const auto& p : pairs) {
    EXPECT_LT(CompareEntries(p.before, p.after), 0) << p.why;
    EXPECT_GT(CompareEntries(p.after, p.before), 0) << p.why;
  }
}

TEST(EntryOrderTest, EqualOnlyWhenIdenticalButCaseBlindEqualityIgnoresCaseOnly) {
  EXPECT_EQ(CompareEntries("11727,V,27500", "11727,V,27500"), 0);
  EXPECT_NE(CompareEntries("11727,v,27500", "11727,V,27500"), 0);
  const struct { const char* a; const char* b; bool same; } cases[] = {
      {"11727,v,27500,34,dvb-s", "11727,V,27500,34,DVB-S", true}, {"\xE9t\xE9", "\xC9T\xC9", true},  // été, ÉTÉ
      {"ete", "\xE9t\xE9", false}, {"ss", "\xDF", false}, {"11727,V", "11727,V ", false}};
  for (const auto& c : cases) EXPECT_EQ(SameEntryIgnoringCase(c.a, c.b), c.same) << c.a << " " << c.b;
}

// Classes in order; within one, symbols and digits by byte.
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
      if (ca < 0 || cb < 0 || (ca == cb && ca != 1 && ca != 2)) continue;  // letters: the pairs above
      const bool before = ca == cb ? a < b : ca < cb;
      EXPECT_EQ(CompareEntries(std::string(1, char(a)), std::string(1, char(b))) < 0, before) << a << " " << b;
    }
  }
}

// The list view's stand-in sorts as it grows, after deletes too: it keeps a
// sort key per entry, which must follow every change.
TEST(EntryOrderTest, CheckListStaysInOrderThroughAddsAndDeletes) {
  VectorCheckList list;
  const auto texts = [&list] {
    std::vector<std::string> out;
    for (const auto& entry : list.entries()) out.push_back(entry.text);
    return out;
  };
  for (const char* text : {"11727,V", "10714,H", "11727,H", "A", "a"}) list.Add(text, true);
  EXPECT_EQ(texts(), (std::vector<std::string>{"10714,H", "11727,H", "11727,V", "a", "A"}));
  list.Delete(1);
  EXPECT_EQ(list.Add("11727,left", false), 1);
  EXPECT_EQ(list.Add("11000,V", true), 1);
  EXPECT_EQ(texts(), (std::vector<std::string>{"10714,H", "11000,V", "11727,left", "11727,V", "a", "A"}));
  list.DeleteAll();
  EXPECT_EQ(list.Add("b", true), 0);
  EXPECT_EQ(list.Add("a", true), 0);
}

}  // namespace
}  // namespace velq
