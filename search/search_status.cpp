#include "search/search_status.h"

namespace velq {

std::string FoundCountText(int entryCount) { return "Found " + std::to_string(entryCount) + " TP(s) in total"; }

SearchStatus FinishedStatus(int entryCount) { return {kSearchFinishedText, FoundCountText(entryCount)}; }

}  // namespace velq
