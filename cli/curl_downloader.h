#pragma once
// The web update's Downloader on libcurl: a GET with `Cache-Control:
// no-cache`, so a cache on the way asks the site again, whose body is stored
// only when the server answers 2xx, with timeouts so that a dead or stalled
// server ends the command instead of hanging it.

#include <functional>
#include <string>

#include "cli/curl_library.h"
#include "webupdate/downloader.h"

namespace velq {

struct CurlTimeouts {
  long connectSeconds = 15;
  // A transfer that moves no byte for this long is given up.
  long stallSeconds = 30;
};

class CurlDownloader : public Downloader {
 public:
  // `library` is asked for libcurl at the first download; nullptr makes
  // every download end as LibraryMissing.
  explicit CurlDownloader(CurlTimeouts timeouts = {},
                          std::function<const CurlLibrary*()> library = SystemCurlLibrary);

  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override;

  // Why the last download failed, in libcurl's or our words ("HTTP status
  // 404"); empty after a success.
  const std::string& lastError() const { return lastError_; }

 private:
  CurlTimeouts timeouts_;
  std::function<const CurlLibrary*()> library_;
  std::string lastError_;
};

}  // namespace velq
