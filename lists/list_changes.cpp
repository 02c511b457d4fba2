#include "lists/list_changes.h"

#include <map>
#include <string_view>

namespace velq {
namespace {

// "11727,V" of "11727,V,27500,34,DVB-S,QPSK": which transponder an entry is.
std::string_view TransponderKey(const std::string& entry) {
  const auto first = entry.find(',');
  if (first == std::string::npos) return entry;
  return std::string_view(entry).substr(0, entry.find(',', first + 1));
}

// The entries of `from` that have no byte-identical partner left in `other`
// (each partner is used once), in list order.
std::vector<std::string> Unmatched(const std::vector<std::string>& from, const std::vector<std::string>& other) {
  std::map<std::string_view, int> available;
  for (const std::string& entry : other) ++available[entry];
  std::vector<std::string> left;
  for (const std::string& entry : from) {
    auto found = available.find(entry);
    if (found != available.end() && found->second > 0) {
      --found->second;
    } else {
      left.push_back(entry);
    }
  }
  return left;
}

}  // namespace

ListChanges CompareEntryLists(const std::vector<std::string>& oldEntries,
                              const std::vector<std::string>& newEntries) {
  const std::vector<std::string> oldLeft = Unmatched(oldEntries, newEntries);
  const std::vector<std::string> newLeft = Unmatched(newEntries, oldEntries);

  // Old entries by transponder, in list order, each paired at most once.
  std::multimap<std::string_view, std::size_t> oldByKey;
  for (std::size_t i = 0; i < oldLeft.size(); ++i) oldByKey.emplace(TransponderKey(oldLeft[i]), i);
  std::vector<bool> paired(oldLeft.size(), false);

  ListChanges changes;
  for (const std::string& entry : newLeft) {
    const auto found = oldByKey.lower_bound(TransponderKey(entry));  // the first in list order
    if (found == oldByKey.end() || found->first != TransponderKey(entry)) {
      changes.added.push_back(entry);
      continue;
    }
    paired[found->second] = true;
    changes.changed.emplace_back(oldLeft[found->second], entry);
    oldByKey.erase(found);
  }
  for (std::size_t i = 0; i < oldLeft.size(); ++i) {
    if (!paired[i]) changes.removed.push_back(oldLeft[i]);
  }
  return changes;
}

std::string ListChangeSummary(const ListChanges& changes) {
  if (changes.empty()) return "unchanged";
  return std::to_string(changes.added.size()) + " added, " + std::to_string(changes.removed.size()) +
         " removed, " + std::to_string(changes.changed.size()) + " changed";
}

}  // namespace velq
