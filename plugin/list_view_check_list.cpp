#include "plugin/list_view_check_list.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "search/entry_order.h"

namespace velq {

int ListViewCheckList::Count() const {
  return static_cast<int>(SendMessageA(lv_, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListViewCheckList::Text(int index) const {
  // Entry texts are short, but an edited one can be long: grow until it fits.
  for (int size = 256;; size *= 4) {
    std::vector<char> buf(static_cast<size_t>(size));
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = buf.data();
    item.cchTextMax = size;
    int n = static_cast<int>(SendMessageA(lv_, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(&item)));
    if (n < size - 1 || size >= (1 << 20)) return std::string(buf.data(), static_cast<size_t>(n));
  }
}

bool ListViewCheckList::Checked(int index) const {
  auto state = SendMessageA(lv_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListViewCheckList::SetChecked(int index, bool checked) {
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageA(lv_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void ListViewCheckList::Delete(int index) {
  SendMessageA(lv_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void ListViewCheckList::DeleteAll() { SendMessageA(lv_, LVM_DELETEALLITEMS, 0, 0); }

int ListViewCheckList::Add(const std::string& text, bool checked) {
  // After every entry that sorts before it or equal to it: what a stable
  // sort of the whole list would give.
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (CompareEntries(Text(mid), text) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = lo;
  item.pszText = const_cast<char*>(text.c_str());
  int at = static_cast<int>(SendMessageA(lv_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (at >= 0) SetChecked(at, checked);
  return at;
}

void ListViewCheckList::SetText(int index, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(lv_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  Sort();
}

void ListViewCheckList::Sort() {
  struct Entry {
    std::string text;
    bool checked;
  };
  std::vector<Entry> entries;
  const int n = Count();
  for (int i = 0; i < n; ++i) entries.push_back({Text(i), Checked(i)});
  if (std::is_sorted(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return EntryLess(a.text, b.text); }))
    return;
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return EntryLess(a.text, b.text); });
  ListViewBatch batch(lv_);
  for (int i = 0; i < n; ++i) {
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(entries[static_cast<size_t>(i)].text.c_str());
    SendMessageA(lv_, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    SetChecked(i, entries[static_cast<size_t>(i)].checked);
  }
}

ListViewBatch::ListViewBatch(HWND listView) : lv_(listView) {
  SendMessageA(lv_, WM_SETREDRAW, FALSE, 0);
}

ListViewBatch::~ListViewBatch() {
  SendMessageA(lv_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lv_, nullptr, TRUE);
}

}  // namespace velq
