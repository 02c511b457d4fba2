#pragma once
// velqtp scan: the network search on a recorded transport stream, ending as
// the plug-in's search does ("Remove duplicated"), optionally thinned by
// "Max Freq Diff", saved as the plug-in's "Save selected" saves.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace velq {

inline constexpr int kMinMaxFreqDiff = 1;
inline constexpr int kMaxMaxFreqDiff = 20;
// From this size on a file gets a progress bar (when standard error is a
// terminal): smaller ones are read before a person would see it.
inline constexpr std::uint64_t kProgressBarMinBytes = 32u << 20;

struct ScanOptions {
  std::string input;                // a path, or "-" for standard input
  std::string folder;               // where the list goes; empty: the current folder
  std::optional<int> maxFreqDiff;   // MHz, kMinMaxFreqDiff..kMaxMaxFreqDiff
  bool dryRun = false;              // print, write nothing
  // Also the lists of the NIT other networks' positions; reads to the end.
  bool allNetworks = false;
};

// Prints the satellite line, the entries, the status lines and the file
// written on `out`; errors on `err`. Returns the exit status.
int RunScan(const ScanOptions& options, std::FILE* out, std::FILE* err);

}  // namespace velq
