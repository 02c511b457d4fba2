// The web update without a network: a scripted download facility answers each
// request, and the lists land as real files in a temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_store.h"
#include "tests/support/test_files.h"
#include "webupdate/download_folder.h"
#include "webupdate/download_job.h"
#include "webupdate/download_site.h"
#include "webupdate/tp_fetch.h"

namespace velq {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// What update-all fetches, step 1 first: neither window order nor position
// order. Step 51 fetches 63.0W, the one row that no other step fetches.
constexpr std::string_view kUpdateAllOrder[] = {
    "21.5E", "23.5E", "25.8E", "26.0E", "28.2E", "28.5E", "31.5E", "33.0E", "36.0E", "39.0E",
    "7.0W",  "40.0E", "42.0E", "45.0E", "53.0E", "55.0E", "57.0E", "60.0E", "62.0E", "2.0E",
    "68.5E", "4.8E",  "64.0E", "0.8W",  "1.0W",  "13.0E", "4.0W",  "5.0W",  "72.0E", "75.0E",
    "70.5E", "8.0W",  "11.0W", "5.0E",  "12.5W", "14.0W", "15.0W", "22.0W", "24.5W", "27.5W",
    "30.0W", "31.5W", "34.5W", "7.0E",  "37.5W", "43.0W", "45.0W", "53.0W", "58.0W", "61.0W",
    "63.0W", "9.0E",  "10.0E", "16.0E", "19.2E", "18.0W",
};

struct Answer {
  DownloadResult result = DownloadResult::Stored();
  std::optional<std::string> body = "new list";  // written to the file when set
  bool throws = false;
};

// Answers every request as `script` says, and records the requests.
class ScriptedDownloader : public Downloader {
 public:
  std::function<Answer(const std::string& url)> script = [](const std::string&) { return Answer{}; };
  std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;  // reported by every download
  std::vector<std::string> urls;

  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override {
    urls.push_back(url);
    for (auto [done, total] : progress) onProgress(done, total);
    const Answer answer = script(url);
    if (answer.body) WriteFile(filePath, *answer.body);
    if (answer.throws) throw std::runtime_error("connection lost");
    return answer.result;
  }
};

// The text of the error that `action` throws, or "" when it throws none.
template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(DownloadFolderTest, TargetPathGetsTheSeparatorOfItsSystem) {
  constexpr PathStyle W = PathStyle::Windows, P = PathStyle::Posix;
  struct Case {
    const char* folder;
    PathStyle style;
    const char* path;
  };
  const Case cases[] = {
      {"C:\\Lists", W, "C:\\Lists\\0130.ini"},  {"C:\\Lists\\", W, "C:\\Lists\\0130.ini"},
      {"D:/TP/", W, "D:/TP/0130.ini"},           {"D:/TP", W, "D:/TP\\0130.ini"},
      // A bare drive is its root, never the drive's hidden current folder.
      {"D:", W, "D:\\0130.ini"},                 {"d:", W, "d:\\0130.ini"},
      {"", W, "0130.ini"},                       {"/srv/lists", P, "/srv/lists/0130.ini"},
      {"/srv/lists/", P, "/srv/lists/0130.ini"}, {"", P, "0130.ini"},
      {"C:\\Host\\\\Transponders\\", W, "C:\\Host\\\\Transponders\\0130.ini"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DownloadTargetPath(c.folder, "0130.ini", c.style), c.path) << c.folder;
  for (const char* none : {"", " ", "   ", " \t "}) EXPECT_TRUE(NamesNoFolder(none)) << '"' << none << '"';
  for (const char* folder : {"D:", " D:\\TP", "."}) EXPECT_FALSE(NamesNoFolder(folder)) << folder;
}

TEST(DownloadFolderTest, DefaultIsBesideTheHostExecutable) {
  EXPECT_EQ(DefaultDownloadFolder("C:\\Host\\host.exe"), "C:\\Host\\\\Transponders\\");
  EXPECT_EQ(DefaultDownloadFolder("C:host.exe"), "C:\\Transponders\\");
}

TEST(DownloadSiteTest, MirrorFromTheEnvironmentReplacesOurSite) {
  const char* saved = std::getenv(kSiteEnvironmentVariable);
  const std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv(kSiteEnvironmentVariable, "", 1);
  EXPECT_EQ(DownloadSiteBase(), kDefaultSiteBase);
  ::setenv(kSiteEnvironmentVariable, "http://127.0.0.1:8080/", 1);
  EXPECT_EQ(DownloadUrl(DownloadSiteBase(), "21.5E"), "http://127.0.0.1:8080/dl.php?pos=21.5E");
  if (restore) ::setenv(kSiteEnvironmentVariable, restore->c_str(), 1);
  else ::unsetenv(kSiteEnvironmentVariable);
}

TEST(DownloadJobTest, OnlyAWholeDownloadReplacesTheList) {
  const std::string url = "http://tp.velq.example/dl.php?pos=13.0E";
  const std::string failed = "Error downloading URL: " + url;
  struct Case {
    const char* name;
    Answer answer;
    std::string error;         // "" for success
    bool staleTemp = false;    // a temporary file left by an earlier, killed run
    bool targetIsDir = false;  // the move over the target cannot succeed
  };
  const Case cases[] = {
      {"stored", {}, ""},
      {"cut body", {DownloadResult::Failed(), "half a li"}, failed},
      {"success without a file", {DownloadResult::Stored(), std::nullopt}, failed},
      {"stale temporary file", {DownloadResult::Stored(), std::nullopt}, failed, true},
      {"library missing", {DownloadResult::LibraryMissing("URLMON.DLL"), std::nullopt},
       "Unable to load URLMON.DLL"},
      {"facility throws", {DownloadResult::Stored(), "half", true}, "connection lost"},
      {"target is a folder", {}, failed, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string target = dir / "0130.ini";
    if (c.targetIsDir) fs::create_directory(target);
    else WriteFile(target, "old list");
    if (c.staleTemp) WriteFile(TempPathBeside(target), "stale");
    ScriptedDownloader downloader;
    downloader.script = [&](const std::string&) { return c.answer; };

    EXPECT_EQ(ErrorOf([&] { DownloadJob(url, target).Run(downloader); }), c.error);
    if (!c.targetIsDir) {
      EXPECT_EQ(ReadFile(target), c.error.empty() ? "new list" : "old list");
    }
    EXPECT_FALSE(fs::exists(TempPathBeside(target)));
  }
}

TEST(DownloadJobTest, ForwardsEveryProgressReport) {
  TempFolder dir;
  ScriptedDownloader downloader;
  downloader.progress = {{0, 0}, {1024, 0}, {1024, 4096}, {4096, 4096}};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
  DownloadJob("u", dir / "a.ini", [&](std::uint32_t done, std::uint32_t max) {
    seen.emplace_back(done, max);
  }).Run(downloader);
  EXPECT_EQ(seen, downloader.progress);
  EXPECT_NO_THROW(DownloadJob("u", dir / "a.ini").Run(downloader));  // no handler: reports go nowhere
}

// Every step in order, each into the folder of its moment; the first failure
// ends the run, and the steps before it keep their files.
TEST(UpdateAllTest, FetchesTheStepsInOrderUntilTheFirstFailure) {
  struct Case {
    const char* failing;  // pos value whose request fails; nullptr: none
    Answer answer;
    std::size_t requests;
    std::string error;
  };
  const Case cases[] = {
      {nullptr, {}, 56, ""},
      {"39.0E", {DownloadResult::Failed(), std::nullopt}, 10,
       "Error downloading URL: http://s.example/dl.php?pos=39.0E"},
      {"21.5E", {DownloadResult::LibraryMissing("URLMON.DLL"), std::nullopt}, 1, "Unable to load URLMON.DLL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing ? c.failing : "no failure");
    TempFolder first, second;
    std::string folder = first.path().string();
    ScriptedDownloader downloader;
    downloader.script = [&](const std::string& url) {
      return c.failing && url.ends_with(c.failing) ? c.answer : Answer{};
    };
    const WebUpdateContext context{downloader, "http://s.example", [&] { return folder; }, {},
                                   PathStyle::Posix};
    std::size_t hookCalls = 0;
    const std::string error = ErrorOf([&] {
      RunUpdateAll(context, [&](std::size_t step, const CatalogueRow& row) {
        EXPECT_EQ(row.posValue, kUpdateAllOrder[step - 1]);
        EXPECT_EQ(step, ++hookCalls);
        if (step == 30) folder = second.path().string();  // the user typed another folder
      });
    });
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(downloader.urls.size(), c.requests);
    for (std::size_t i = 0; i < c.requests; ++i)
      EXPECT_EQ(downloader.urls[i], "http://s.example/dl.php?pos=" + std::string(kUpdateAllOrder[i]));
    const auto filesIn = [](const TempFolder& dir) {
      return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    };
    const std::ptrdiff_t stored = c.error.empty() ? 56 : c.requests - 1;
    EXPECT_EQ(filesIn(first), std::min<std::ptrdiff_t>(stored, 29));  // steps 1 to 29
    EXPECT_EQ(filesIn(second), stored - filesIn(first));
  }
}

}  // namespace
}  // namespace velq
