#pragma once
// velqtp import: transponder list files from DVBv5 channel files (Debian's
// dtv-scan-tables, dvbv5-scan output), one per orbital position, with the
// entries a network search on that satellite would give.

#include <cstdio>
#include <string>
#include <vector>

namespace velq {

inline constexpr const char* kDebianScanTables = "/usr/share/dvb/dvb-s";

struct ImportOptions {
  std::vector<std::string> files;  // each named after its position ("Hotbird-13.0E") unless `position` is given
  std::string folder;              // where the lists go; empty: the current folder
  std::string position;            // "13.0E": every file belongs to it
  bool all = false;                // every catalogue position that `tables` covers
  std::string tables = kDebianScanTables;
};

int RunImport(const ImportOptions& options, std::FILE* out, std::FILE* err);

}  // namespace velq
