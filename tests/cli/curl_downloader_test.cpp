#include "cli/curl_downloader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_files.h"

namespace velq {
namespace {

// DownloadJob turns the result into "Unable to load libcurl.so.4".
TEST(CurlDownloader, WithoutLibcurlEveryDownloadFailsAsTheLibraryMissing) {
  EXPECT_EQ(LoadCurlLibrary({"libvelq-no-such-curl.so.4"}), nullptr);
  const test::TempFolder folder;
  CurlDownloader downloader({}, [] { return static_cast<const CurlLibrary*>(nullptr); });
  const DownloadResult result = downloader.Download("http://127.0.0.1:1/dl.php?pos=13.0E", folder / "0130.ini", {});
  EXPECT_EQ(result.outcome, DownloadResult::Outcome::LibraryMissing);
  EXPECT_EQ(result.missingLibrary, "libcurl.so.4");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace velq
