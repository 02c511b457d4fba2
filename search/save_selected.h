#pragma once
// "Save selected": writes the checked entries, in list order, as the
// transponder list file of the position found last, and once that file is in
// place drops the unchecked entries from the list. The file is replaced whole
// or not at all; a failed save changes neither the file nor the list.

#include <stdexcept>
#include <string>

#include "search/check_list.h"
#include "search/local_date_time.h"

namespace velq {

// A failed save; what() is the text for the user's error box.
class SaveSelectedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kNoSatellitePositionText =
    "No satellite position is known yet: run a network search before saving";

struct SaveSelectedRequest {
  std::string folder;  // ends with its path separator; the file name follows directly
  std::string satPositionCode;
  std::string satPositionName;
  LocalDateTime now;
  char timeSeparator = ':';
};

// folder + code + ".ini".
std::string TransponderListPath(const std::string& folder, const std::string& satPositionCode);

// Returns the path written. Failures, in the order they can happen:
// - no position code yet: SaveSelectedError(kNoSatellitePositionText);
//   nothing written, list unchanged;
// - the file cannot be created: FileStoreError ("File access denied",
//   "I/O error N"); list unchanged;
// - writing or replacing the file fails: SaveSelectedError("Unable to write
//   to <path>"); list unchanged, the old file intact, no temporary file left.
// A temporary file that an interrupted save left beside the list is taken
// over by the next save of that list and gone after it, failed or not (unless
// the folder refuses new files).
std::string SaveSelected(CheckList& list, const SaveSelectedRequest& request);

}  // namespace velq
