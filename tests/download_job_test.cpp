// The web update on a scripted download facility, into real files.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/file_store.h"
#include "tests/support/test_files.h"
#include "webupdate/download_folder.h"
#include "webupdate/download_job.h"
#include "webupdate/tp_fetch.h"

namespace velq {
namespace {

namespace fs = std::filesystem;

// What update-all fetches, step 1 first: neither window order nor position
// order. Step 51 fetches 63.0W, the one row that no other step fetches.
constexpr std::string_view kUpdateAllOrder[] = {
    "21.5E", "23.5E", "25.8E", "26.0E", "28.2E", "28.5E", "31.5E", "33.0E", "36.0E", "39.0E", "7.0W", "40.0E",
    "42.0E", "45.0E", "53.0E", "55.0E", "57.0E", "60.0E", "62.0E", "2.0E", "68.5E", "4.8E", "64.0E", "0.8W",
    "1.0W", "13.0E", "4.0W", "5.0W", "72.0E", "75.0E", "70.5E", "8.0W", "11.0W", "5.0E", "12.5W", "14.0W",
    "15.0W", "22.0W", "24.5W", "27.5W", "30.0W", "31.5W", "34.5W", "7.0E", "37.5W", "43.0W", "45.0W", "53.0W",
    "58.0W", "61.0W", "63.0W", "9.0E", "10.0E", "16.0E", "19.2E", "18.0W",
};

using Files = std::pair<std::ptrdiff_t, std::ptrdiff_t>;
using Progress = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
const Progress kProgress = {{0, 0}, {1024, 0}, {1024, 4096}, {4096, 4096}};

struct Answer {
  DownloadResult result = DownloadResult::Stored();
  const char* body = "new list";  // written to the file unless nullptr
  bool throws = false;
};

// Reports kProgress and records the URL; a request for `failing` ("": every
// request) gets `answer`, any other a whole list.
struct ScriptedDownloader : Downloader {
  std::string failing;
  Answer answer;
  std::vector<std::string> urls;
  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override {
    urls.push_back(url);
    for (auto [done, total] : kProgress) onProgress(done, total);
    const Answer a = url.ends_with(failing) ? answer : Answer{};
    if (a.body) test::WriteFile(filePath, a.body);
    if (a.throws) throw std::runtime_error("connection lost");
    return a.result;
  }
};

std::string ErrorOf(const std::function<void()>& action) try {
  action();
  return "";
} catch (const std::exception& e) {
  return e.what();
}

TEST(DownloadFolderTest, TargetPathGetsTheSeparatorOfItsSystem) {
  // A bare drive is its root, never the drive's hidden current folder. (velqtp's
  // process tests join POSIX paths.)
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Lists", "C:\\Lists\\0130.ini"}, {"C:\\Lists\\", "C:\\Lists\\0130.ini"}, {"D:/TP/", "D:/TP/0130.ini"},
      {"D:/TP", "D:/TP\\0130.ini"}, {"D:", "D:\\0130.ini"}, {"d:", "d:\\0130.ini"}, {"", "0130.ini"}};
  for (const auto& [folder, path] : cases)
    EXPECT_EQ(DownloadTargetPath(folder, "0130.ini", PathStyle::Windows), path) << folder;
  for (const char* none : {"", " \t "}) EXPECT_TRUE(NamesNoFolder(none)) << '"' << none << '"';
  for (const char* folder : {"D:", " D:\\TP", "."}) EXPECT_FALSE(NamesNoFolder(folder)) << folder;
  EXPECT_EQ(DefaultDownloadFolder("C:\\Host\\host.exe"), "C:\\Host\\\\Transponders\\");
  EXPECT_EQ(DefaultDownloadFolder("C:host.exe"), "C:\\Transponders\\");
}

TEST(DownloadJobTest, OnlyAWholeDownloadReplacesTheList) {
  const std::string url = "http://tp.velq.example/dl.php?pos=13.0E";
  const std::string failed = "Error downloading URL: " + url;
  // A stale temporary file is one left by an earlier, killed run.
  const struct { const char* name; Answer answer; std::string error; bool staleTemp, targetIsDir; } cases[] = {
      {"stored", {}, "", false, false},
      {"cut body", {DownloadResult::Failed(), "half a li"}, failed, false, false},
      {"success without a file, a stale one beside", {DownloadResult::Stored(), nullptr}, failed, true, false},
      {"facility throws", {DownloadResult::Stored(), "half", true}, "connection lost", false, false},
      {"target is a folder", {}, failed, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempFolder dir;
    const std::string target = dir / "0130.ini";
    if (c.targetIsDir) fs::create_directory(target);
    else test::WriteFile(target, "old list");
    if (c.staleTemp) test::WriteFile(TempPathBeside(target), "stale");
    ScriptedDownloader downloader;
    downloader.answer = c.answer;
    Progress seen;
    const auto record = [&](std::uint32_t done, std::uint32_t max) { seen.emplace_back(done, max); };
    EXPECT_EQ(ErrorOf([&] { DownloadJob(url, target, record).Run(downloader); }), c.error);
    EXPECT_EQ(test::ReadFile(target), c.targetIsDir ? "" : c.error.empty() ? "new list" : "old list");  // "": a folder
    EXPECT_FALSE(fs::exists(TempPathBeside(target)));
    EXPECT_EQ(seen, kProgress);
  }
}

// Every step in order, each into the folder of its moment; the first failure
// ends the run, and the steps before it keep their files.
TEST(UpdateAllTest, FetchesTheStepsInOrderUntilTheFirstFailure) {
  // failing: the pos value whose request fails; files: how many each folder gets.
  const struct { const char* failing; Answer answer; std::size_t requests; std::string error; Files files; } cases[] = {
      {"", {}, 56, "", {29, 27}},
      {"39.0E", {DownloadResult::Failed(), nullptr}, 10, "Error downloading URL: http://s.example/dl.php?pos=39.0E",
       {9, 0}},
      {"21.5E", {DownloadResult::LibraryMissing("URLMON.DLL"), nullptr}, 1, "Unable to load URLMON.DLL", {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    const test::TempFolder first, second;
    std::string folder = first.path().string();
    ScriptedDownloader downloader;
    downloader.failing = c.failing;
    downloader.answer = c.answer;
    // No progress handler: the reports go nowhere. The site's slash is not doubled.
    const WebUpdateContext context{downloader, "http://s.example/", [&] { return folder; }, {}, PathStyle::Posix};
    const std::string error = ErrorOf([&] {
      RunUpdateAll(context, [&](std::size_t step, const CatalogueRow& row) {
        EXPECT_EQ(row.posValue, kUpdateAllOrder[step - 1]);
        if (step == 30) folder = second.path().string();  // the user typed another folder
      });
    });
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(downloader.urls.size(), c.requests);
    for (std::size_t i = 0; i < c.requests; ++i)
      EXPECT_EQ(downloader.urls[i], "http://s.example/dl.php?pos=" + std::string(kUpdateAllOrder[i]));
    const auto filesIn = [](const test::TempFolder& d) { return std::distance(fs::directory_iterator(d.path()), {}); };
    EXPECT_EQ(Files(filesIn(first), filesIn(second)), c.files);
  }
}

}  // namespace
}  // namespace velq
