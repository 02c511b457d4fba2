#pragma once
// A transponder list as a DVBv5 channel file (the format dvbv5-scan and
// dvbv5-zap read, and Debian's dtv-scan-tables use): one [CHANNEL] block
// per entry. Reading the file back (ReadDvbv5Channels and the search's
// decoder) gives the same entry texts.

#include <string>
#include <vector>

namespace velq {

struct Dvbv5Export {
  std::string text;
  std::vector<std::string> unreadable;  // entries that are not of the search's form, left out
};

// `comment` opens the file as "# " lines (one per line of it).
Dvbv5Export ExportDvbv5(const std::vector<std::string>& entries, const std::string& comment);

}  // namespace velq
