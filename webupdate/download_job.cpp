#include "webupdate/download_job.h"

#include "core/file_store.h"

namespace velq {

namespace {
// Removes the temporary file on every way out that did not move it.
class TempFileGuard {
 public:
  explicit TempFileGuard(const std::string& path) : path_(path) {}
  ~TempFileGuard() {
    if (armed_) RemoveFileIfPresent(path_);
  }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  void Release() { armed_ = false; }

 private:
  const std::string& path_;
  bool armed_ = true;
};
}  // namespace

std::string DownloadFailedText(const std::string& url) { return "Error downloading URL: " + url; }

std::string LibraryMissingText(const std::string& library) { return "Unable to load " + library; }

DownloadJob::DownloadJob(std::string url, std::string targetPath, ProgressHandler onProgress)
    : url_(std::move(url)), targetPath_(std::move(targetPath)), onProgress_(std::move(onProgress)) {
  if (!onProgress_) onProgress_ = [](std::uint32_t, std::uint32_t) {};
}

void DownloadJob::Run(Downloader& downloader) const {
  const std::string temp = TempPathBeside(targetPath_);
  // A leftover of an interrupted run must not pass for this download.
  RemoveFileIfPresent(temp);
  TempFileGuard guard(temp);

  DownloadResult result = downloader.Download(url_, temp, onProgress_);
  if (result.outcome == DownloadResult::Outcome::LibraryMissing) {
    throw DownloadError(LibraryMissingText(result.missingLibrary));
  }
  // Some facilities report success for a folder they could not write to.
  if (result.outcome != DownloadResult::Outcome::Stored || !RegularFileExists(temp)) {
    throw DownloadError(DownloadFailedText(url_));
  }
  try {
    MoveFileOver(temp, targetPath_);
  } catch (const FileStoreError&) {
    throw DownloadError(DownloadFailedText(url_));
  }
  guard.Release();
}

}  // namespace velq
