#pragma once
// Fetching catalogue rows: one row (a position button) or the whole
// update-all sequence, which stops at the first failure.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "webupdate/download_folder.h"
#include "webupdate/downloader.h"
#include "webupdate/tp_catalogue.h"

namespace velq {

inline constexpr std::string_view kAllSatellitesUpdatedText =
    "All satellites have been updated successfully";

struct WebUpdateContext {
  Downloader& downloader;
  std::string siteBase;                        // usually DownloadSiteBase()
  std::function<std::string()> currentFolder;  // asked anew for every fetch
  ProgressHandler onProgress;                  // may be empty
  PathStyle pathStyle;                         // how folder and file name join
};

// Fetches one row into currentFolder() and returns the target path.
// Throws DownloadError (see DownloadJob::Run).
std::string DownloadTpFile(const WebUpdateContext& context, const CatalogueRow& row);

class DownloadError;

// Called before each step; step counts from 1.
using UpdateAllStepHook = std::function<void(std::size_t step, const CatalogueRow& row)>;
// Called when a step fails: true goes on with the next step, false ends the
// sequence with that failure.
using UpdateAllFailureHook = std::function<bool(std::size_t step, const CatalogueRow& row, const DownloadError& e)>;

// Fetches every step of UpdateAllOrder in order. The first failure throws
// DownloadError and no later step is requested (the plug-in's way), unless
// `onFailure` says to go on; files of earlier steps stay. `afterStep` runs
// once a step's file is stored. On a return without failures the caller
// shows kAllSatellitesUpdatedText.
void RunUpdateAll(const WebUpdateContext& context, const UpdateAllStepHook& beforeStep = {},
                  const UpdateAllStepHook& afterStep = {}, const UpdateAllFailureHook& onFailure = {});

}  // namespace velq
