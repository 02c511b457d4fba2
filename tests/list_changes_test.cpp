#include "lists/list_changes.h"

#include <gtest/gtest.h>

namespace velq {
namespace {

using Texts = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(CompareEntryLists, PairsEntriesOfOneTransponderAndCountsTheRest) {
  const std::string a = "11727,V,27500,34,DVB-S,QPSK";
  const std::string a2 = "11727,V,27500,23,DVB-S2,8PSK";  // a, changed
  const std::string a3 = "11727,V,22000,56,DVB-S2,8PSK";  // a second carrier on 11727 V
  const std::string b = "11766,H,27500,34,DVB-S,QPSK";
  const std::string c = "11766,V,27500,34,DVB-S,QPSK";  // same frequency, other polarisation
  const struct { const char* what; Texts before, after, added, removed; Pairs changed; const char* text; } cases[] = {
      {"same lists", {a, b}, {a, b}, {}, {}, {}, "unchanged"},
      {"new list", {}, {a, b}, {a, b}, {}, {}, "2 added, 0 removed, 0 changed"},
      {"one changed", {a, b}, {a2, b}, {}, {}, {{a, a2}}, "0 added, 0 removed, 1 changed"},
      {"polarisation is another transponder", {b}, {c}, {c}, {b}, {}, "1 added, 1 removed, 0 changed"},
      {"an unchanged twin is no change", {a, a3}, {a3, a2}, {}, {}, {{a, a2}}, "0 added, 0 removed, 1 changed"},
      {"pairs in list order, once each", {a, a3}, {a2}, {}, {a3}, {{a, a2}}, "0 added, 1 removed, 1 changed"},
      {"a duplicate counts once per copy", {a, a}, {a}, {}, {a}, {}, "0 added, 1 removed, 0 changed"},
      {"text that is no entry", {"note"}, {"note", "x"}, {"x"}, {}, {}, "1 added, 0 removed, 0 changed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ListChanges changes = CompareEntryLists(c.before, c.after);
    EXPECT_EQ(changes.added, c.added);
    EXPECT_EQ(changes.removed, c.removed);
    EXPECT_EQ(changes.changed, c.changed);
    EXPECT_EQ(ListChangeSummary(changes), c.text);
  }
}

}  // namespace
}  // namespace velq
