#pragma once
// ListView1 as the duplicate rules and "Save selected" see it: a CheckList
// over a report-view list with check boxes, kept in entry order.

#include <windows.h>

#include "search/check_list.h"

namespace velq {

class ListViewCheckList : public CheckList {
 public:
  explicit ListViewCheckList(HWND listView) : lv_(listView) {}

  int Count() const override;
  std::string Text(int index) const override;
  bool Checked(int index) const override;
  void SetChecked(int index, bool checked) override;
  void Delete(int index) override;
  int Add(const std::string& text, bool checked) override;
  void DeleteAll() override;

  // Replaces one entry's text (in-place editing) and sorts the list again.
  void SetText(int index, const std::string& text);
  // Sorts the whole list again; entries of equal text keep their order.
  void Sort();

 private:
  HWND lv_;
};

// Holds the list view's drawing while many entries change, and redraws it
// once at the end: inserting entries one by one into a visible list otherwise
// costs a repaint each.
class ListViewBatch {
 public:
  explicit ListViewBatch(HWND listView);
  ~ListViewBatch();
  ListViewBatch(const ListViewBatch&) = delete;
  ListViewBatch& operator=(const ListViewBatch&) = delete;

 private:
  HWND lv_;
};

}  // namespace velq
