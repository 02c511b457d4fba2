#include "cli/scan_command.h"

#include <exception>
#include <filesystem>

#include "cli/exit_codes.h"
#include "cli/input_file.h"
#include "cli/list_change_report.h"
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
         std::to_string(scan.packets) + " packets read)";
}

void PrintResult(const NitScanResult& scan, const SearchStatus& status, std::FILE* out) {
  if (!scan.satelliteLine.empty()) std::fprintf(out, "%s\n", Windows1252ToUtf8(scan.satelliteLine).c_str());
  for (const auto& entry : scan.list.entries()) std::fprintf(out, "%s\n", entry.text.c_str());
  std::fprintf(out, "%s\n%s\n", status.status.c_str(), status.count.c_str());
}

int Scan(const ScanOptions& options, std::FILE* out, std::FILE* err) {
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
  NitScanResult scan = ScanForNit(
      [&input](std::uint8_t* buffer, std::size_t capacity) { return input.Read(buffer, capacity); },
      [&bar](std::uint64_t done) { bar.Update(done); });
  bar.Finish();

  if (!scan.tableParsed) {
    std::fprintf(err, "velqtp: %s\n", NoTableText(input, scan).c_str());
    return kExitFailure;
  }
  if (scan.position.SatPositionCode.empty()) {
    std::fprintf(err, "velqtp: the NIT in %s has no satellite delivery system descriptor\n",
                 input.name().c_str());
    return kExitFailure;
  }

  SearchStatus status = RemoveDuplicated(scan.list);
  if (options.maxFreqDiff) status = RemoveNearDuplicates(scan.list, *options.maxFreqDiff);
  PrintResult(scan, status, out);

  const std::string folder = FolderWithSeparator(options.folder);
  if (options.dryRun) {
    std::fprintf(out, "Not written (dry run): %s\n",
                 TransponderListPath(folder, scan.position.SatPositionCode).c_str());
    return kExitOk;
  }
  SaveSelectedRequest request{folder, scan.position.SatPositionCode,
                              scan.position.SatPositionName, CurrentLocalDateTime(), ':'};
  const ListChangeReport change(TransponderListPath(folder, scan.position.SatPositionCode));
  std::fprintf(out, "Wrote %s\n", SaveSelected(scan.list, request).c_str());
  std::fprintf(out, "%s\n", change.Line().c_str());
  return kExitOk;
}

}  // namespace

int RunScan(const ScanOptions& options, std::FILE* out, std::FILE* err) {
  try {
    return Scan(options, out, err);
  } catch (const std::exception& e) {
    // Input, save and integer errors all carry the text for the user.
    std::fprintf(err, "velqtp: %s\n", e.what());
    return kExitFailure;
  }
}

}  // namespace velq
