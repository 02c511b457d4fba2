// velqtp: the plug-in's network search and web update on the command line.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "cli/exit_codes.h"
#include "cli/fetch_command.h"
#include "cli/import_command.h"
#include "cli/list_file_commands.h"
#include "cli/listings.h"
#include "cli/nit_other_networks.h"
#include "cli/scan_command.h"
#include "cli/serve_command.h"
#include "cli/serve_program.h"
#include "plugin/version.h"
#include "webupdate/download_site.h"

namespace {

constexpr const char* kDescription =
    "velqtp: the Velq Transponders Updater on the command line.\n"
    "Makes and fetches the transponder list files (0130.ini, 3530.ini, ...) that the\n"
    "plug-in makes and fetches: from a recorded transport stream, from the download\n"
    "site, or from DVBv5 channel files; serves them as a download site.";

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
      "between them is skipped.\n"
      "--all-networks reads to the end of the input and also decodes the first complete\n"
      "NIT other (table 0x41) of each network: one list file per orbital position found,\n"
      "tables of one position merged; an incomplete table writes nothing. It holds at\n"
      "most " + std::to_string(velq::kMaxOtherNetworks) + " networks and " +
      std::to_string(velq::kMaxOtherSectionBytes >> 20) + " MB of their sections, and says so when a stream has more.");
  scanCommand->add_option("FILE", scan.input, "the capture (.ts), or - for standard input")->required();
  AddFolderOption(*scanCommand, scan.folder, "where the list file goes (default: the current folder)");
  scanCommand
      ->add_option("--max-freq-diff", maxFreqDiff,
                   "then also drop entries within this many MHz of the one before on the same\n"
                   "polarisation (\"Max Freq Diff\"), 1 to 20")
      ->check(CLI::Range(velq::kMinMaxFreqDiff, velq::kMaxMaxFreqDiff))
      ->option_text("MHZ");
  scanCommand->add_flag("--dry-run", scan.dryRun, "print the entries, write nothing");
  scanCommand->add_flag("--all-networks", scan.allNetworks,
                        "also the lists of the other networks' positions (NIT other)");

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
      "fetched, as the plug-in does. --keep-going goes on after a failed step and\n"
      "lists the failed positions at the end (exit status 1).");
  AddFolderOption(*updateAllCommand, fetch.folder, "where the lists go (default: the current folder)");
  AddSiteOptions(*updateAllCommand, fetch);
  updateAllCommand->add_flag("--keep-going", fetch.keepGoing,
                             "go on after a position that fails; list the failures at the end");

  CLI::App* positionsCommand =
      app.add_subcommand("positions", "print the satellite names by orbital position, with their file codes");

  bool updateAllOrder = false;
  CLI::App* catalogueCommand =
      app.add_subcommand("catalogue", "print the download catalogue: position, file, window button, caption");
  catalogueCommand->add_flag("--update-all-order", updateAllOrder, "print the update-all sequence instead");

  velq::ImportOptions import;
  CLI::App* importCommand =
      app.add_subcommand("import", "make lists from DVBv5 channel files (dtv-scan-tables, dvbv5-scan)");
  importCommand->footer(
      "One list per orbital position, taken from the end of each file's name\n"
      "(Hotbird-13.0E) unless --position is given; files of one position are merged.\n"
      "The entries are those a network search gives: same texts, same order,\n"
      "duplicates removed; channels no satellite delivery descriptor can carry (16APSK,\n"
      "32APSK, values out of range) are skipped and counted. --all makes the list of\n"
      "every catalogue position that Debian's scan tables (" +
      std::string(velq::kDebianScanTables) + ") cover,\n"
      "and names the update-all steps left without a list: the plug-in's update-all\n"
      "from a site of these lists stops at the first of them.");
  importCommand->add_option("FILE", import.files, "DVBv5 channel files")->check(CLI::ExistingFile);
  importCommand->add_flag("--all", import.all, "every catalogue position the installed scan tables cover");
  importCommand->add_option("--position", import.position, "the position of every FILE, e.g. 13.0E")
      ->option_text("POS");
  AddFolderOption(*importCommand, import.folder, "where the lists go (default: the current folder)");

  std::string exportList;
  CLI::App* exportCommand =
      app.add_subcommand("export", "print a list as a DVBv5 channel file (for dvbv5-scan, dvbv5-zap)");
  exportCommand->footer(
      "Saved under a name that ends in the position (Hotbird-13.0E), velqtp import reads\n"
      "it back into the same list.");
  exportCommand->add_option("LIST", exportList, "a transponder list file, e.g. 0130.ini")
      ->required()
      ->check(CLI::ExistingFile);

  std::string diffOld, diffNew;
  CLI::App* diffCommand = app.add_subcommand("diff", "print the entries added, removed and changed between two lists");
  diffCommand->add_option("OLD", diffOld, "the list before")->required()->check(CLI::ExistingFile);
  diffCommand->add_option("NEW", diffNew, "the list after")->required()->check(CLI::ExistingFile);

  velq::ServeOptions serve;
  CLI::App* serveCommand =
      app.add_subcommand("serve", "be the download site: /dl.php?pos=13.0E and a page at /, from a folder");
  serveCommand->footer(
      "GET /dl.php?pos=13.0E answers DIR/0130.ini (200), a pos not of that form 400, a\n"
      "position without a file 404; nothing outside DIR is ever read. / and\n"
      "/index.html answer a page for people: every catalogue position with its\n"
      "satellite, entries, last change and download link. Every answer says\n"
      "Cache-Control: no-cache; lists carry ETag and Last-Modified (the file's time),\n"
      "and If-None-Match / If-Modified-Since for the version held get 304 without\n"
      "the body. Lists are read at each request: replace them (by rename) while\n"
      "serving. One log line per request on standard error; Ctrl-C ends.\n"
      "--static OUT writes the site as plain files instead (OUT/pos/13.0E, ...,\n"
      "OUT/index.html; files left alone when unchanged, each list with its list's\n"
      "time) for any web server: see docs/nginx-velq-tp-site.conf.");
  serveCommand->add_option("DIR", serve.folder, "the folder of list files (0130.ini, ...)")
      ->required()
      ->check(CLI::ExistingDirectory);
  serveCommand->add_option("--listen", serve.listen,
                           "the address to listen on (default " + std::string(velq::kDefaultListenAddress) +
                               "; 0.0.0.0 for a home network)")
      ->option_text("ADDR");
  serveCommand->add_option("--port", serve.port,
                           "the port (default " + std::to_string(velq::kDefaultPort) + "; 0 picks a free one)")
      ->check(CLI::Range(0, 65535))
      ->option_text("N");
  serveCommand->add_option("--static", serve.staticOut, "write the site as files into this folder and end")
      ->option_text("OUT");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? velq::kExitOk : velq::kExitUsage;
  }

  // Input, save and integer errors carry the text for the user; no command
  // ends velqtp with an uncaught exception.
  try {
    if (*scanCommand) {
      scan.maxFreqDiff = maxFreqDiff;
      return velq::RunScan(scan, stdout, stderr);
    }
    if (*fetchCommand) return velq::RunFetch(fetch, stdout, stderr);
    if (*updateAllCommand) return velq::RunUpdateAll(fetch, stdout, stderr);
    if (*importCommand) return velq::RunImport(import, stdout, stderr);
    if (*exportCommand) return velq::RunExport(exportList, stdout, stderr);
    if (*diffCommand) return velq::RunDiff(diffOld, diffNew, stdout, stderr);
#ifdef VELQTP_SERVE_BUILT_IN
    if (*serveCommand) return velq::RunServe(serve, stdout, stderr);
#else
    if (*serveCommand) return velq::StartServeProgram(argv, stderr);
#endif
    if (*positionsCommand) velq::PrintPositionNames(stdout);
    if (*catalogueCommand) updateAllOrder ? velq::PrintUpdateAllOrder(stdout) : velq::PrintCatalogue(stdout);
    return velq::kExitOk;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velqtp: %s\n", e.what());
    return velq::kExitFailure;
  }
}
