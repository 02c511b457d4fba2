#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_store.h"
#include "tests/support/test_files.h"
#include "webupdate/download_folder.h"
#include "webupdate/download_job.h"
#include "webupdate/download_site.h"
#include "webupdate/tp_fetch.h"
#include "webupdate/update_all_order.h"

namespace velq {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;
using test::TempFolder;



// Plays back a scripted answer per request and records what it was asked.
class ScriptedDownloader : public Downloader {
 public:
  struct Answer {
    DownloadResult result = DownloadResult::Stored();
    std::optional<std::string> bytes;  // written to the file when set
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
    bool throws = false;
  };
  // By default every request stores a body naming its URL.
  std::function<Answer(const std::string& url)> script = [](const std::string& url) {
    return Answer{DownloadResult::Stored(), "list of " + url, {}, false};
  };
  std::vector<std::string> urls;

  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override {
    urls.push_back(url);
    Answer answer = script(url);
    for (auto [done, total] : answer.progress) onProgress(done, total);
    if (answer.bytes) WriteFile(filePath, *answer.bytes);
    if (answer.throws) throw std::runtime_error("connection lost");
    return answer.result;
  }
};

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
  EXPECT_EQ(DefaultDownloadFolder("\\\\srv\\share\\a.b\\host.exe"),
            "\\\\srv\\share\\a.b\\\\Transponders\\");
}

TEST(DownloadSiteTest, MirrorFromTheEnvironmentReplacesOurSite) {
  const char* saved = std::getenv(kSiteEnvironmentVariable);
  std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;

  ::unsetenv(kSiteEnvironmentVariable);
  EXPECT_EQ(DownloadSiteBase(), kDefaultSiteBase);
  ::setenv(kSiteEnvironmentVariable, "", 1);
  EXPECT_EQ(DownloadSiteBase(), kDefaultSiteBase);
  ::setenv(kSiteEnvironmentVariable, "http://127.0.0.1:8080", 1);
  EXPECT_EQ(DownloadUrl(DownloadSiteBase(), "21.5E"), "http://127.0.0.1:8080/dl.php?pos=21.5E");

  if (restore) ::setenv(kSiteEnvironmentVariable, restore->c_str(), 1);
  else ::unsetenv(kSiteEnvironmentVariable);
  EXPECT_EQ(DownloadUrl("http://mirror.example/", "7.0W"), "http://mirror.example/dl.php?pos=7.0W");
}

constexpr const char* kUrl = "http://tp.velq.example/dl.php?pos=13.0E";

TEST(DownloadJobTest, FailureKeepsTheOldListAndLeavesNoTemporaryFile) {
  using Answer = ScriptedDownloader::Answer;
  const std::string failedText = std::string("Error downloading URL: ") + kUrl;
  struct Case {
    const char* name;
    Answer answer;
    std::string expectedText;
    bool staleTemp = false;    // a temporary file left by an earlier, killed run
    bool targetIsDir = false;  // the move over the target cannot succeed
  };
  const Case cases[] = {
      {"cut body", {DownloadResult::Failed(), "half a li", {}, false}, failedText},
      {"success without a file", {DownloadResult::Stored(), std::nullopt, {}, false}, failedText},
      {"stale temporary file", {DownloadResult::Stored(), std::nullopt, {}, false}, failedText, true},
      {"library missing", {DownloadResult::LibraryMissing("URLMON.DLL"), std::nullopt, {}, false},
       "Unable to load URLMON.DLL"},
      {"facility throws", {DownloadResult::Stored(), "half", {}, true}, "connection lost"},
      {"target is a folder", {}, failedText, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string target = dir / "0130.ini";
    if (c.targetIsDir) fs::create_directory(target);
    else WriteFile(target, "old list");
    if (c.staleTemp) WriteFile(TempPathBeside(target), "stale");
    ScriptedDownloader downloader;
    Answer answer = c.answer;
    if (c.targetIsDir) answer.bytes = "new list";
    downloader.script = [&](const std::string&) { return answer; };

    try {
      DownloadJob(kUrl, target).Run(downloader);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.expectedText);
    }
    if (!c.targetIsDir) {
      EXPECT_EQ(ReadFile(target), "old list");
    }
    EXPECT_FALSE(fs::exists(TempPathBeside(target)));
  }
}

TEST(DownloadJobTest, ForwardsEveryProgressReport) {
  TempFolder dir;
  ScriptedDownloader downloader;
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> reports = {
      {0, 0}, {1024, 0}, {1024, 4096}, {4096, 4096}};
  downloader.script = [&](const std::string&) {
    return ScriptedDownloader::Answer{DownloadResult::Stored(), "list", reports, false};
  };
  std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
  DownloadJob(kUrl, dir / "0130.ini", [&](std::uint32_t done, std::uint32_t total) {
    seen.emplace_back(done, total);
  }).Run(downloader);
  EXPECT_EQ(seen, reports);
  // Without a handler the reports go nowhere, and nothing breaks.
  EXPECT_NO_THROW(DownloadJob(kUrl, dir / "0130.ini").Run(downloader));
}

TEST(WebUpdateTest, UpdateAllFetchesEveryStepInOrderIntoTheCurrentFolder) {
  TempFolder first, second;
  ScriptedDownloader downloader;
  std::string folder = first.path().string();
  WebUpdateContext context{downloader, "http://s.example", [&] { return folder; }, {}, PathStyle::Posix};
  std::vector<std::size_t> hookSteps;

  RunUpdateAll(context, [&](std::size_t step, const CatalogueRow& row) {
    hookSteps.push_back(step);
    EXPECT_EQ(&row, UpdateAllOrder()[step - 1]);
    if (step == 30) folder = second.path().string();  // the user typed another folder
  });

  ASSERT_EQ(downloader.urls.size(), kUpdateAllSteps);
  ASSERT_EQ(hookSteps.size(), kUpdateAllSteps);
  for (std::size_t i = 0; i < kUpdateAllSteps; ++i) {
    const CatalogueRow& row = *UpdateAllOrder()[i];
    EXPECT_EQ(downloader.urls[i], DownloadUrl("http://s.example", row.posValue));
    EXPECT_EQ(hookSteps[i], i + 1);
    const TempFolder& expectedDir = i < 29 ? first : second;
    EXPECT_TRUE(RegularFileExists(expectedDir / std::string(row.fileName))) << row.posValue;
  }
}

}  // namespace
}  // namespace velq
