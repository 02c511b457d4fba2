#pragma once
// The plug-in's download facility: URLDownloadToFileA from URLMON.DLL,
// loaded on the first download of the process and kept until unload.

#include "webupdate/downloader.h"

namespace velq {

inline constexpr const char* kUrlmonLibrary = "URLMON.DLL";

class UrlmonDownloader final : public Downloader {
 public:
  // Stored only when the call succeeded, the server answered 2xx and the
  // file is there with the length the server announced: urlmon itself
  // reports success for a 404 page and for a folder it could not write to.
  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override;
};

// Frees URLMON.DLL if it was loaded (at unload); the next download loads it
// anew.
void ReleaseUrlmon();

}  // namespace velq
