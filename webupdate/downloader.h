#pragma once
// The HTTP download facility that a download job runs on: urlmon in the
// plug-in, libcurl in velqtp, a scripted one in the tests.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace velq {

// Bytes done and bytes expected; progressMax is 0 while no total is known.
// Called on the thread that runs Download, during the call. It must not throw:
// in the plug-in it is reached through a COM callback.
using ProgressHandler = std::function<void(std::uint32_t progress, std::uint32_t progressMax)>;

struct DownloadResult {
  enum class Outcome {
    Stored,          // the server answered 2xx and the body was written whole
    Failed,          // nothing usable was written
    LibraryMissing,  // the facility could not be loaded; no request was sent
  };
  Outcome outcome = Outcome::Failed;
  std::string missingLibrary;  // with LibraryMissing: the library's name, "URLMON.DLL"

  static DownloadResult Stored() { return {Outcome::Stored, {}}; }
  static DownloadResult Failed() { return {Outcome::Failed, {}}; }
  static DownloadResult LibraryMissing(std::string name) {
    return {Outcome::LibraryMissing, std::move(name)};
  }
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // GETs `url` and stores the body at `filePath`, creating or replacing it.
  // Returns when the download has ended.
  virtual DownloadResult Download(const std::string& url, const std::string& filePath,
                                  const ProgressHandler& onProgress) = 0;
};

}  // namespace velq
