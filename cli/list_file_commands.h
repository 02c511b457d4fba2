#pragma once
// velqtp export and velqtp diff: reading transponder list files.

#include <cstdio>
#include <string>

namespace velq {

// The list as a DVBv5 channel file on `out`, for dvbv5-scan, dvbv5-zap and
// w_scan users; entries of no known form are left out and named on `err`.
int RunExport(const std::string& listPath, std::FILE* out, std::FILE* err);

// The entries removed ("- "), added ("+ ") and changed ("~ old -> new")
// from OLD to NEW, then the summary line. Exit status 0 whether they differ
// or not.
int RunDiff(const std::string& oldPath, const std::string& newPath, std::FILE* out, std::FILE* err);

}  // namespace velq
