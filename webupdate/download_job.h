#pragma once
// One fetch: a request URL, a target path and a progress handler, run once on
// a Downloader. The body lands in a temporary file beside the target and
// replaces the target only when the download succeeded, so a failed or cut
// download never destroys the list that was there.

#include <stdexcept>
#include <string>

#include "webupdate/downloader.h"

namespace velq {

// A failed fetch; what() is the text shown to the user.
class DownloadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Error downloading URL: " + url
std::string DownloadFailedText(const std::string& url);
// "Unable to load " + library
std::string LibraryMissingText(const std::string& library);

class DownloadJob {
 public:
  DownloadJob(std::string url, std::string targetPath, ProgressHandler onProgress = {});

  // Throws DownloadError with LibraryMissingText when the facility is missing,
  // and with DownloadFailedText when the download fails, leaves no file, or
  // cannot be moved over the target.
  void Run(Downloader& downloader) const;

  const std::string& url() const { return url_; }
  const std::string& targetPath() const { return targetPath_; }

 private:
  std::string url_;
  std::string targetPath_;
  ProgressHandler onProgress_;
};

}  // namespace velq
