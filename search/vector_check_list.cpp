#include "search/vector_check_list.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "search/entry_order.h"

namespace velq {
namespace {
void CheckIndex(int index, size_t size) {
  if (index < 0 || static_cast<size_t>(index) >= size) throw std::out_of_range("check list index");
}
}  // namespace

int VectorCheckList::Count() const { return static_cast<int>(entries_.size()); }

std::string VectorCheckList::Text(int index) const {
  CheckIndex(index, entries_.size());
  return entries_[index].text;
}

bool VectorCheckList::Checked(int index) const {
  CheckIndex(index, entries_.size());
  return entries_[index].checked;
}

void VectorCheckList::SetChecked(int index, bool checked) {
  CheckIndex(index, entries_.size());
  entries_[index].checked = checked;
}

void VectorCheckList::Delete(int index) {
  CheckIndex(index, entries_.size());
  entries_.erase(entries_.begin() + index);
  keys_.erase(keys_.begin() + index);
}

// Byte order of the keys is the entry order (CompareEntries).
int VectorCheckList::Add(const std::string& text, bool checked) {
  std::string key = EntrySortKey(text);
  const auto at = std::upper_bound(keys_.begin(), keys_.end(), key);
  const auto index = at - keys_.begin();
  keys_.insert(at, std::move(key));
  entries_.insert(entries_.begin() + index, Entry{text, checked});
  return static_cast<int>(index);
}

void VectorCheckList::DeleteAll() {
  entries_.clear();
  keys_.clear();
}

std::vector<std::string> VectorCheckList::CheckedTexts() const {
  std::vector<std::string> texts;
  for (const Entry& e : entries_) {
    if (e.checked) texts.push_back(e.text);
  }
  return texts;
}

}  // namespace velq
