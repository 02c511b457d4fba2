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

// Called before each step; step counts from 1.
using UpdateAllStepHook = std::function<void(std::size_t step, const CatalogueRow& row)>;

// Fetches every step of UpdateAllOrder in order. The first failure throws
// DownloadError and no later step is requested; files of earlier steps stay.
// `afterStep` runs once a step's file is stored. On return the caller shows
// kAllSatellitesUpdatedText.
void RunUpdateAll(const WebUpdateContext& context, const UpdateAllStepHook& beforeStep = {},
                  const UpdateAllStepHook& afterStep = {});

}  // namespace velq
