#pragma once
// What changed between two versions of a transponder list. Entries that are
// in both (byte for byte) are unchanged; of the rest, an old and a new entry
// of the same transponder (same frequency and polarisation, the text up to
// its second comma) are one changed entry, paired in list order; what is
// left is added or removed.

#include <string>
#include <utility>
#include <vector>

namespace velq {

struct ListChanges {
  std::vector<std::string> added;
  std::vector<std::string> removed;
  std::vector<std::pair<std::string, std::string>> changed;  // old text, new text

  bool empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

ListChanges CompareEntryLists(const std::vector<std::string>& oldEntries,
                              const std::vector<std::string>& newEntries);

// "3 added, 1 removed, 2 changed"; "unchanged" when nothing changed.
std::string ListChangeSummary(const ListChanges& changes);

}  // namespace velq
