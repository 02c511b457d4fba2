#pragma once
// The status line and count line that the search window shows after the
// duplicate passes; velqtp prints the same texts.

#include <string>

namespace velq {

inline constexpr const char* kSearchFinishedText = "Search finished";

// "Found N TP(s) in total".
std::string FoundCountText(int entryCount);

struct SearchStatus {
  std::string status;  // the window's Label2
  std::string count;   // the window's Label1
  bool operator==(const SearchStatus&) const = default;
};

// "Search finished" with the count text of `entryCount`.
SearchStatus FinishedStatus(int entryCount);

}  // namespace velq
