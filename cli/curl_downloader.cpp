#include "cli/curl_downloader.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "plugin/version.h"

namespace velq {
namespace {

struct CurlCleanup {
  const CurlLibrary* curl;
  void operator()(CURL* handle) const { curl->easy_cleanup(handle); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::uint32_t Clamp32(curl_off_t value) {
  if (value <= 0) return 0;
  constexpr curl_off_t kMax = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(value > kMax ? kMax : value);
}

// A short write makes libcurl end the transfer with CURLE_WRITE_ERROR.
std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

int ReportProgress(void* handler, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
  const auto& onProgress = *static_cast<const ProgressHandler*>(handler);
  if (onProgress) onProgress(Clamp32(done), Clamp32(total));
  return 0;
}

}  // namespace

CurlDownloader::CurlDownloader(CurlTimeouts timeouts, std::function<const CurlLibrary*()> library)
    : timeouts_(timeouts), library_(std::move(library)) {}

DownloadResult CurlDownloader::Download(const std::string& url, const std::string& filePath,
                                        const ProgressHandler& onProgress) {
  lastError_.clear();
  const CurlLibrary* lib = library_ ? library_() : nullptr;
  if (lib == nullptr) return DownloadResult::LibraryMissing(kCurlLibraryNames.front());

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(filePath.c_str(), "wb"));
  if (!file) {
    lastError_ = "cannot create " + filePath + ": " + std::strerror(errno);
    return DownloadResult::Failed();
  }
  std::unique_ptr<CURL, CurlCleanup> curl(lib->easy_init(), CurlCleanup{lib});
  if (!curl) {
    lastError_ = "libcurl could not start a transfer";
    return DownloadResult::Failed();
  }

  char curlError[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  lib->easy_setopt(c, CURLOPT_URL, url.c_str());
  lib->easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);
  lib->easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteToFile);
  lib->easy_setopt(c, CURLOPT_WRITEDATA, file.get());
  lib->easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  lib->easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &ReportProgress);
  lib->easy_setopt(c, CURLOPT_XFERINFODATA, &onProgress);
  lib->easy_setopt(c, CURLOPT_CONNECTTIMEOUT, timeouts_.connectSeconds);
  lib->easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  lib->easy_setopt(c, CURLOPT_LOW_SPEED_TIME, timeouts_.stallSeconds);
  lib->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  lib->easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
  // A mirror may redirect, but never to a local file or another protocol.
  lib->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  lib->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  lib->easy_setopt(c, CURLOPT_USERAGENT, "velqtp/" VELQ_VERSION_TEXT);
  lib->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  // libcurl only reads the header list; built here, it needs no
  // curl_slist_append from the library.
  char noCache[] = "Cache-Control: no-cache";
  curl_slist headers{noCache, nullptr};
  lib->easy_setopt(c, CURLOPT_HTTPHEADER, &headers);

  const CURLcode result = lib->easy_perform(c);
  long status = 0;
  lib->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  const bool closed = std::fclose(file.release()) == 0;

  if (result != CURLE_OK) {
    lastError_ = curlError[0] ? curlError : lib->easy_strerror(result);
    return DownloadResult::Failed();
  }
  // An error page is no transponder list.
  if (status < 200 || status > 299) {
    lastError_ = "HTTP status " + std::to_string(status);
    return DownloadResult::Failed();
  }
  if (!closed) {
    lastError_ = "cannot write " + filePath + ": " + std::strerror(errno);
    return DownloadResult::Failed();
  }
  return DownloadResult::Stored();
}

}  // namespace velq
