#include "webupdate/tp_fetch.h"

#include "webupdate/download_folder.h"
#include "webupdate/download_job.h"
#include "webupdate/download_site.h"
#include "webupdate/update_all_order.h"

namespace velq {

std::string DownloadTpFile(const WebUpdateContext& context, const CatalogueRow& row) {
  std::string folder = context.currentFolder ? context.currentFolder() : std::string();
  DownloadJob job(DownloadUrl(context.siteBase, row.posValue),
                  DownloadTargetPath(folder, row.fileName, context.pathStyle), context.onProgress);
  job.Run(context.downloader);
  return job.targetPath();
}

void RunUpdateAll(const WebUpdateContext& context, const UpdateAllStepHook& beforeStep,
                  const UpdateAllStepHook& afterStep, const UpdateAllFailureHook& onFailure) {
  std::size_t step = 0;
  for (const CatalogueRow* row : UpdateAllOrder()) {
    ++step;
    if (beforeStep) beforeStep(step, *row);
    try {
      DownloadTpFile(context, *row);
    } catch (const DownloadError& e) {
      if (onFailure && onFailure(step, *row, e)) continue;
      throw;
    }
    if (afterStep) afterStep(step, *row);
  }
}

}  // namespace velq
