// velqtp: the plug-in's network search and web update on the command line.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>

#include "cli/exit_codes.h"
#include "cli/fetch_command.h"
#include "cli/listings.h"
#include "cli/scan_command.h"
#include "plugin/version.h"
#include "webupdate/download_site.h"

namespace {

constexpr const char* kDescription =
    "velqtp: the Velq Transponders Updater on the command line.\n"
    "Makes and fetches the transponder list files (0130.ini, 3530.ini, ...) that the\n"
    "plug-in makes and fetches: from a recorded transport stream, or from the\n"
    "download site.";

void AddFolderOption(CLI::App& command, std::string& folder, const char* what) {
  command.add_option("--dir", folder, what)->check(CLI::ExistingDirectory)->option_text("FOLDER");
}

void AddSiteOptions(CLI::App& command, velq::FetchOptions& options) {
  command.add_option("--site", options.site,
                     "the download site's base address (default: VELQ_TP_SITE, or " +
                         std::string(velq::kDefaultSiteBase) + ")")
      ->option_text("URL");
  command.add_option("--timeout", options.timeouts.stallSeconds,
                     "give up on a server that sends nothing for this many seconds (default 30)")
      ->check(CLI::Range(1, 3600))
      ->option_text("SECONDS");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "velqtp");
  app.set_version_flag("--version", "velqtp " VELQ_VERSION_TEXT);
  app.require_subcommand(1);
  app.fallthrough(false);

  velq::ScanOptions scan;
  std::optional<int> maxFreqDiff;
  CLI::App* scanCommand = app.add_subcommand("scan", "network search on a recorded transport stream");
  scanCommand->footer(
      "Decodes the first complete NIT (table 0x40 on PID 0x0010) of the stream, removes\n"
      "duplicated entries, prints the satellite line and the entries, and writes the\n"
      "transponder list file of the position. Packets of 188, 192 or 204 bytes; garbage\n"
      "between them is skipped.");
  scanCommand->add_option("FILE", scan.input, "the capture (.ts), or - for standard input")->required();
  AddFolderOption(*scanCommand, scan.folder, "where the list file goes (default: the current folder)");
  scanCommand
      ->add_option("--max-freq-diff", maxFreqDiff,
                   "then also drop entries within this many MHz of the one before on the same\n"
                   "polarisation (\"Max Freq Diff\"), 1 to 20")
      ->check(CLI::Range(velq::kMinMaxFreqDiff, velq::kMaxMaxFreqDiff))
      ->option_text("MHZ");
  scanCommand->add_flag("--dry-run", scan.dryRun, "print the entries, write nothing");

  velq::FetchOptions fetch;
  fetch.site = velq::DownloadSiteBase();
  CLI::App* fetchCommand = app.add_subcommand("fetch", "download the lists of some positions");
  fetchCommand->footer(
      "Downloads in the order given and stops at the first failure. An existing list is\n"
      "replaced only by a complete download.");
  fetchCommand
      ->add_option("POS", fetch.positions,
                   "a position as 13.0E or 7.0W, or the code of its file as 0130 (see: velqtp catalogue)")
      ->required();
  AddFolderOption(*fetchCommand, fetch.folder, "where the lists go (default: the current folder)");
  AddSiteOptions(*fetchCommand, fetch);

  CLI::App* updateAllCommand =
      app.add_subcommand("update-all", "download the lists of every position from 2E to 61W");
  updateAllCommand->footer(
      "Walks the update-all sequence (56 steps from 21.5E; see: velqtp catalogue\n"
      "--update-all-order) and stops at the first failure, keeping the lists already\n"
      "fetched.");
  AddFolderOption(*updateAllCommand, fetch.folder, "where the lists go (default: the current folder)");
  AddSiteOptions(*updateAllCommand, fetch);

  CLI::App* positionsCommand =
      app.add_subcommand("positions", "print the satellite names by orbital position, with their file codes");

  bool updateAllOrder = false;
  CLI::App* catalogueCommand =
      app.add_subcommand("catalogue", "print the download catalogue: position, file, window button, caption");
  catalogueCommand->add_flag("--update-all-order", updateAllOrder, "print the update-all sequence instead");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? velq::kExitOk : velq::kExitUsage;
  }

  if (*scanCommand) {
    scan.maxFreqDiff = maxFreqDiff;
    return velq::RunScan(scan, stdout, stderr);
  }
  if (*fetchCommand) return velq::RunFetch(fetch, stdout, stderr);
  if (*updateAllCommand) return velq::RunUpdateAll(fetch, stdout, stderr);
  if (*positionsCommand) velq::PrintPositionNames(stdout);
  if (*catalogueCommand) updateAllOrder ? velq::PrintUpdateAllOrder(stdout) : velq::PrintCatalogue(stdout);
  return velq::kExitOk;
}
