#include "search/vector_check_list.h"

#include <algorithm>
#include <stdexcept>

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
}

int VectorCheckList::Add(const std::string& text, bool checked) {
  auto at = std::upper_bound(entries_.begin(), entries_.end(), text,
                             [](const std::string& t, const Entry& e) { return EntryLess(t, e.text); });
  at = entries_.insert(at, Entry{text, checked});
  return static_cast<int>(at - entries_.begin());
}

void VectorCheckList::DeleteAll() { entries_.clear(); }

std::vector<std::string> VectorCheckList::CheckedTexts() const {
  std::vector<std::string> texts;
  for (const Entry& e : entries_) {
    if (e.checked) texts.push_back(e.text);
  }
  return texts;
}

}  // namespace velq
