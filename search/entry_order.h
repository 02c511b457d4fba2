#pragma once
// The one order of transponder entries, used by every sort of the list and by
// the case-blind equality of "Remove duplicated". Windows-1252 texts compare
// the way the host's locale collation does in spirit: punctuation before
// digits before letters; letters first without regard to accents or case,
// then accents, then case (lower before upper). Entry texts therefore sort
// by frequency, and at one frequency as H, left, right, V.

#include <string>

namespace velq {

// <0, 0 or >0. Zero only for byte-identical texts, so the order is total and
// the result of a sort does not depend on the sort's stability.
int CompareEntries(const std::string& a, const std::string& b);

// The same order with letter case ignored: zero when the texts differ only
// in case. "Remove duplicated" treats such texts as one.
int CompareEntriesIgnoringCase(const std::string& a, const std::string& b);

inline bool EntryLess(const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; }

inline bool SameEntryIgnoringCase(const std::string& a, const std::string& b) {
  return CompareEntriesIgnoringCase(a, b) == 0;
}

// Byte strings whose plain byte order is the entry order (with or without
// case). Sorting many entries compares keys built once per entry.
std::string EntrySortKey(const std::string& text);
std::string EntryCaseBlindKey(const std::string& text);

}  // namespace velq
