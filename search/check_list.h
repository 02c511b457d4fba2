#pragma once
// The transponder list as the duplicate rules and "Save selected" see it: a
// list of texts with check marks, kept in ascending entry order. The search
// window implements it over its list view, velqtp and the tests with a vector.

#include <string>

namespace velq {

class CheckList {
 public:
  virtual ~CheckList() = default;

  virtual int Count() const = 0;
  virtual std::string Text(int index) const = 0;
  virtual bool Checked(int index) const = 0;
  virtual void SetChecked(int index, bool checked) = 0;
  virtual void Delete(int index) = 0;
  // Adds an entry where the entry order puts it (after any equal text, as a
  // stable re-sort of the whole list would) and returns its index.
  virtual int Add(const std::string& text, bool checked) = 0;

  // A list view empties itself in one message; the default goes one by one.
  virtual void DeleteAll() {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
  }
};

}  // namespace velq
