#pragma once
// A CheckList held in memory: velqtp's list and the tests' stand-in for the
// search window's list view.

#include <string>
#include <vector>

#include "search/check_list.h"

namespace velq {

class VectorCheckList : public CheckList {
 public:
  struct Entry {
    std::string text;
    bool checked = true;
    bool operator==(const Entry&) const = default;
  };

  int Count() const override;
  std::string Text(int index) const override;
  bool Checked(int index) const override;
  void SetChecked(int index, bool checked) override;
  void Delete(int index) override;
  int Add(const std::string& text, bool checked) override;
  void DeleteAll() override;

  const std::vector<Entry>& entries() const { return entries_; }
  std::vector<std::string> CheckedTexts() const;

 private:
  std::vector<Entry> entries_;
  // EntrySortKey of each entry, built once: a list is sorted as it grows,
  // and building keys for every comparison cost most of a scan's own work.
  std::vector<std::string> keys_;
};

}  // namespace velq
