#include "cli/fetch_command.h"

#include <filesystem>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/list_change_report.h"
#include "cli/position_argument.h"
#include "webupdate/download_folder.h"
#include "webupdate/download_job.h"
#include "webupdate/tp_fetch.h"
#include "webupdate/update_all_order.h"

namespace velq {
namespace {

bool FolderUsable(const FetchOptions& options, std::FILE* err) {
  // The plug-in leaves this to the download facility; here a clear word
  // before the first request is kinder.
  if (options.folder.empty() || std::filesystem::is_directory(options.folder)) return true;
  std::fprintf(err, "velqtp: no such folder: %s\n", options.folder.c_str());
  return false;
}

std::string TargetPath(const FetchOptions& options, const CatalogueRow& row) {
  return DownloadTargetPath(options.folder, row.fileName, PathStyle::Posix);
}

void PrintStep(std::FILE* out, std::size_t step, std::size_t steps, const FetchOptions& options,
               const CatalogueRow& row) {
  const int width = steps >= 10 ? 2 : 1;
  std::fprintf(out, "[%*zu/%zu] %-6.*s -> %s\n", width, step, steps, static_cast<int>(row.posValue.size()),
               row.posValue.data(), TargetPath(options, row).c_str());
  std::fflush(out);
}

// The plug-in's text and the reason libcurl gave.
void PrintFailure(const DownloadError& e, const CurlDownloader& downloader, std::FILE* err) {
  std::fprintf(err, "velqtp: %s\n", e.what());
  if (!downloader.lastError().empty()) std::fprintf(err, "velqtp: %s\n", downloader.lastError().c_str());
}

// Runs one command's downloads; a failure that ends them is printed.
template <typename Work>
int RunDownloads(const FetchOptions& options, std::FILE* err, Work&& work) {
  if (!FolderUsable(options, err)) return kExitFailure;
  CurlDownloader downloader(options.timeouts);
  WebUpdateContext context{downloader, options.site, [&options] { return options.folder; }, {},
                           PathStyle::Posix};
  try {
    work(context, downloader);
    return kExitOk;
  } catch (const DownloadError& e) {
    PrintFailure(e, downloader, err);
    return kExitFailure;
  }
}

}  // namespace

int RunFetch(const FetchOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<const CatalogueRow*> rows;
  for (const std::string& argument : options.positions) {
    const CatalogueRow* row = FindRowByArgument(argument);
    if (row == nullptr) {
      std::fprintf(err, "velqtp: %s is not in the download catalogue (see: velqtp catalogue)\n",
                   argument.c_str());
      return kExitUsage;
    }
    rows.push_back(row);
  }
  return RunDownloads(options, err, [&](const WebUpdateContext& context, const CurlDownloader&) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      PrintStep(out, i + 1, rows.size(), options, *rows[i]);
      const ListChangeReport change(TargetPath(options, *rows[i]));
      DownloadTpFile(context, *rows[i]);
      std::fprintf(out, "%s\n", change.Line().c_str());
    }
  });
}

int RunUpdateAll(const FetchOptions& options, std::FILE* out, std::FILE* err) {
  std::string failed;  // " 25.8E (step 3), ..."
  std::size_t failures = 0;
  const int status = RunDownloads(options, err, [&](const WebUpdateContext& context, const CurlDownloader& curl) {
    std::optional<ListChangeReport> change;
    RunUpdateAll(
        context,
        [&](std::size_t step, const CatalogueRow& row) {
          PrintStep(out, step, kUpdateAllSteps, options, row);
          change.emplace(TargetPath(options, row));
        },
        [&](std::size_t, const CatalogueRow&) { std::fprintf(out, "%s\n", change->Line().c_str()); },
        [&](std::size_t step, const CatalogueRow& row, const DownloadError& e) {
          // Without libcurl every step would fail the same way.
          if (!options.keepGoing || SystemCurlLibrary() == nullptr) return false;
          PrintFailure(e, curl, err);
          failed += (failures++ == 0 ? " " : ", ") + std::string(row.posValue) + " (step " + std::to_string(step) + ")";
          return true;
        });
  });
  if (status != kExitOk) return status;
  if (failures != 0) {
    std::fprintf(err, "velqtp: %zu of %zu positions failed:%s\n", failures, kUpdateAllSteps, failed.c_str());
    return kExitFailure;
  }
  std::fprintf(out, "%.*s\n", static_cast<int>(kAllSatellitesUpdatedText.size()), kAllSatellitesUpdatedText.data());
  return kExitOk;
}

}  // namespace velq
