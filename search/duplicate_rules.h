#pragma once
// The two passes that thin the transponder list: "Remove duplicated" (exact
// duplicates, letter case ignored) and "Max Freq Diff" (neighbours within a
// few MHz on the same polarisation).

#include <functional>
#include <stdexcept>
#include <string>

#include "search/check_list.h"
#include "search/search_status.h"

namespace velq {

// An entry whose first five characters are not an integer ("'%s' is not a
// valid integer value"); the near-duplicate pass stops at it.
class InvalidIntegerError : public std::runtime_error {
 public:
  explicit InvalidIntegerError(const std::string& text);
};

// Keeps the first entry (in list order) of each group of texts equal but for
// letter case, re-adds the survivors and checks every entry. The window also
// resets its progress bar.
SearchStatus RemoveDuplicated(CheckList& list);

// Unchecks entry i+1 when it follows entry i by at most `maxDiff()` MHz on
// the same polarisation, comparing neighbours only; then deletes every
// unchecked entry, those unchecked by hand included. `maxDiff` is asked again
// for each pair, as the window reads its spin box each time.
// Throws InvalidIntegerError, with nothing deleted, at an entry whose
// frequency is not an integer.
SearchStatus RemoveNearDuplicates(CheckList& list, const std::function<int()>& maxDiff);
SearchStatus RemoveNearDuplicates(CheckList& list, int maxDiff);

// The frequency of an entry text: its first five characters (fewer when the
// text is shorter) read as an optional sign and decimal digits.
// Throws InvalidIntegerError.
int EntryFrequency(const std::string& text);

}  // namespace velq
