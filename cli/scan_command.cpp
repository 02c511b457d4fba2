#include "cli/scan_command.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <vector>

#include "cli/count_text.h"
#include "cli/exit_codes.h"
#include "cli/input_file.h"
#include "cli/list_change_report.h"
#include "cli/nit_other_networks.h"
#include "cli/nit_scan.h"
#include "cli/progress_bar.h"
#include "cli/windows1252.h"
#include "core/file_store.h"
#include "search/duplicate_rules.h"
#include "search/local_date_time.h"
#include "search/save_selected.h"

namespace velq {
namespace {

std::string FolderWithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + '/';
}

std::string NoTableText(const InputFile& input, const NitScanResult& scan) {
  if (scan.packets == 0) return "no transport-stream packets found in " + input.name();
  return "no complete NIT (table 0x40 on PID 0x0010) found in " + input.name() + " (" +
         CountText(scan.packets, "packet", "packets") + " read)";
}

// The entries of one list file: of the actual network's table, and with
// --all-networks of the other networks' tables at the same position.
struct PositionList {
  SatPosition position;
  std::string satelliteLine;  // Windows-1252; of the first table that had one
  VectorCheckList list;
};

void Append(PositionList& into, const VectorCheckList& list, const std::string& satelliteLine) {
  for (const auto& entry : list.entries()) into.list.Add(entry.text, entry.checked);
  if (into.satelliteLine.empty()) into.satelliteLine = satelliteLine;
}

void PrintResult(const PositionList& result, const SearchStatus& status, std::FILE* out) {
  if (!result.satelliteLine.empty()) std::fprintf(out, "%s\n", Windows1252ToUtf8(result.satelliteLine).c_str());
  for (const auto& entry : result.list.entries()) std::fprintf(out, "%s\n", entry.text.c_str());
  std::fprintf(out, "%s\n%s\n", status.status.c_str(), status.count.c_str());
}

// Ends the search as the plug-in's window does, prints it and saves the list.
void FinishAndSave(PositionList& result, const ScanOptions& options, std::FILE* out) {
  SearchStatus status = RemoveDuplicated(result.list);
  if (options.maxFreqDiff) status = RemoveNearDuplicates(result.list, *options.maxFreqDiff);
  PrintResult(result, status, out);

  const std::string folder = FolderWithSeparator(options.folder);
  const std::string& code = result.position.SatPositionCode;
  if (options.dryRun) {
    std::fprintf(out, "Not written (dry run): %s\n", TransponderListPath(folder, code).c_str());
    return;
  }
  SaveSelectedRequest request{folder, code, result.position.SatPositionName, CurrentLocalDateTime(), ':'};
  const ListChangeReport change(TransponderListPath(folder, code));
  std::fprintf(out, "Wrote %s\n", SaveSelected(result.list, request).c_str());
  std::fprintf(out, "%s\n", change.Line().c_str());
}

std::string NetworkLabel(const OtherNetwork& network) {
  char id[32];
  std::snprintf(id, sizeof id, "network %u (0x%04X)", unsigned{network.networkId}, unsigned{network.networkId});
  return network.name.empty() ? id : std::string(id) + " \"" + network.name + "\"";
}

// Adds the entries of each NIT other network to the list of its position
// (after those of the actual and of lower network_ids); returns a line per
// network that says what it gave.
std::vector<std::string> CollectOtherNetworks(const NitOtherNetworks& others, std::vector<PositionList>& lists) {
  std::vector<std::string> lines;
  if (others.Networks().empty()) lines.push_back("NIT other: no network found");
  for (const auto& [id, network] : others.Networks()) {
    const std::string label = "NIT other: " + NetworkLabel(network);
    const std::string& code = network.position.SatPositionCode;
    if (!network.complete) {
      lines.push_back(label + ": incomplete, nothing written");
      continue;
    }
    if (code.empty()) {
      lines.push_back(label + ": no satellite delivery system descriptor, nothing written");
      continue;
    }
    const std::string where = network.satelliteLine.empty() ? std::string("no valid entry")
                                                            : Windows1252ToUtf8(network.satelliteLine);
    lines.push_back(label + ": " + CountText(network.list.Count(), "entry", "entries") + ", " + where + " (" +
                    code + ".ini)");
    auto same = std::find_if(lists.begin(), lists.end(),
                             [&code](const PositionList& list) { return list.position.SatPositionCode == code; });
    if (same == lists.end()) same = lists.insert(lists.end(), PositionList{network.position, {}, {}});
    Append(*same, network.list, network.satelliteLine);
  }
  return lines;
}

}  // namespace

int RunScan(const ScanOptions& options, std::FILE* out, std::FILE* err) {
  const std::optional<int>& maxDiff = options.maxFreqDiff;
  if (maxDiff && (*maxDiff < kMinMaxFreqDiff || *maxDiff > kMaxMaxFreqDiff)) {
    std::fprintf(err, "velqtp: --max-freq-diff must be a whole number of MHz from %d to %d\n",
                 kMinMaxFreqDiff, kMaxMaxFreqDiff);
    return kExitUsage;
  }
  if (!options.folder.empty() && !std::filesystem::is_directory(options.folder)) {
    std::fprintf(err, "velqtp: no such folder: %s\n", options.folder.c_str());
    return kExitFailure;
  }

  InputFile input(options.input);
  const std::uint64_t size = input.KnownSize().value_or(0);
  ProgressBar bar(err, size, IsTerminal(err) && size >= kProgressBarMinBytes);
  NitOtherNetworks others;
  NitScanResult scan = ScanForNit(
      [&input](std::uint8_t* buffer, std::size_t capacity) { return input.Read(buffer, capacity); },
      [&bar](std::uint64_t done) { bar.Update(done); }, options.allNetworks ? &others : nullptr);
  bar.Finish();
  for (const std::string& note : others.BoundNotes()) std::fprintf(err, "velqtp: %s\n", note.c_str());

  if (!scan.tableParsed) {
    std::fprintf(err, "velqtp: %s\n", NoTableText(input, scan).c_str());
    return kExitFailure;
  }
  if (scan.position.SatPositionCode.empty()) {
    std::fprintf(err, "velqtp: the NIT in %s has no satellite delivery system descriptor\n",
                 input.name().c_str());
    return kExitFailure;
  }

  std::vector<PositionList> lists(1);
  lists[0].position = scan.position;
  Append(lists[0], scan.list, scan.satelliteLine);
  const std::vector<std::string> networkLines =
      options.allNetworks ? CollectOtherNetworks(others, lists) : std::vector<std::string>{};
  // The actual's position first, as without --all-networks, then what the
  // other networks gave and the lists of their positions.
  FinishAndSave(lists[0], options, out);
  for (const std::string& line : networkLines) std::fprintf(out, "%s\n", line.c_str());
  for (std::size_t i = 1; i < lists.size(); ++i) FinishAndSave(lists[i], options, out);
  return kExitOk;
}

}  // namespace velq
