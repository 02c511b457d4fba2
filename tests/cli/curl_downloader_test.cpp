#include "cli/curl_downloader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "webupdate/download_job.h"

namespace velq {
namespace {

TEST(CurlLibrary, LoadsTheSystemLibraryAndRefusesAMissingOne) {
  EXPECT_NE(SystemCurlLibrary(), nullptr);
  EXPECT_EQ(SystemCurlLibrary(), SystemCurlLibrary());  // loaded once
  EXPECT_EQ(LoadCurlLibrary({"libvelq-no-such-curl.so.4"}), nullptr);
}

TEST(CurlDownloader, WithoutLibcurlEveryDownloadFailsAsTheLibraryMissing) {
  const auto folder = std::filesystem::temp_directory_path() / "velqtp-no-curl-test";
  std::filesystem::create_directories(folder);
  const std::string target = (folder / "0130.ini").string();
  CurlDownloader downloader({}, [] { return static_cast<const CurlLibrary*>(nullptr); });

  const DownloadResult result = downloader.Download("http://127.0.0.1:1/dl.php?pos=13.0E", target, {});
  EXPECT_EQ(result.outcome, DownloadResult::Outcome::LibraryMissing);
  EXPECT_EQ(result.missingLibrary, "libcurl.so.4");

  DownloadJob job("http://127.0.0.1:1/dl.php?pos=13.0E", target);
  try {
    job.Run(downloader);
    ADD_FAILURE() << "no error";
  } catch (const DownloadError& e) {
    EXPECT_STREQ(e.what(), "Unable to load libcurl.so.4");
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace velq
