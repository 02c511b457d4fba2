#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
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

TEST(DownloadFolderTest, TargetPathGetsTheFolderStylesSeparator) {
  struct Case {
    const char* folder;
    const char* path;
  };
  const Case cases[] = {
      {"C:\\Lists", "C:\\Lists\\0130.ini"},   {"C:\\Lists\\", "C:\\Lists\\0130.ini"},
      {"/srv/lists", "/srv/lists/0130.ini"},  {"/srv/lists/", "/srv/lists/0130.ini"},
      {"D:/TP", "D:/TP/0130.ini"},            {"", "0130.ini"},
      {"C:\\Host\\\\Transponders\\", "C:\\Host\\\\Transponders\\0130.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(DownloadTargetPath(c.folder, "0130.ini"), c.path) << c.folder;
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
  WebUpdateContext context{downloader, "http://s.example", [&] { return folder; }, {}};
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

// The local stand-in of the download site (tests/support/http_test_server.py),
// run as a process for the life of one test.
class LocalSite {
 public:
  LocalSite(const TempFolder& dir, std::vector<std::string> flags) : log_(dir / "requests.log") {
    const std::string script =
        (fs::path(__FILE__).parent_path() / "support" / "http_test_server.py").string();
    const std::string portFile = dir / "port";
    std::vector<std::string> args = {"python3", script, "--port-file", portFile, "--log", log_,
                                     "--max-seconds", "60"};
    args.insert(args.end(), flags.begin(), flags.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    int failed = posix_spawnp(&pid_, "python3", &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed) {
      pid_ = 0;
      return;
    }
    for (int i = 0; i < 500 && port_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      port_ = ReadFile(portFile);
      while (!port_.empty() && port_.back() == '\n') port_.pop_back();
    }
  }
  ~LocalSite() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  bool running() const { return !port_.empty(); }
  std::string base() const { return "http://127.0.0.1:" + port_; }
  std::vector<std::string> RequestLines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string log_;
  pid_t pid_ = 0;
  std::string port_;
};

// A plain HTTP/1.0 client for 127.0.0.1 with a 1 s read timeout: success only
// for a 2xx answer whose body arrived whole.
class LoopbackDownloader : public Downloader {
 public:
  DownloadResult Download(const std::string& url, const std::string& filePath,
                          const ProgressHandler& onProgress) override {
    const std::string prefix = "http://127.0.0.1:";
    const std::size_t pathStart = url.find('/', prefix.size());
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(
        std::stoi(url.substr(prefix.size(), pathStart - prefix.size()))));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    std::string reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const std::string request = "GET " + url.substr(pathStart) + " HTTP/1.0\r\n\r\n";
    bool whole = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                     static_cast<ssize_t>(request.size());
    char buffer[4096];
    for (ssize_t n; whole && (n = ::recv(fd, buffer, sizeof buffer, 0)) != 0;) {
      if (n < 0) whole = false;  // timeout or reset
      else reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);

    const std::size_t headerEnd = reply.find("\r\n\r\n");
    const std::size_t lengthAt = reply.find("Content-Length: ");
    if (!whole || headerEnd == std::string::npos || lengthAt == std::string::npos ||
        reply.compare(0, 10, "HTTP/1.1 2") != 0) {
      return DownloadResult::Failed();
    }
    const std::string body = reply.substr(headerEnd + 4);
    const auto length = static_cast<std::uint32_t>(std::stoul(reply.substr(lengthAt + 16)));
    if (body.size() != length) return DownloadResult::Failed();
    onProgress(length, length);
    WriteFile(filePath, body);
    return DownloadResult::Stored();
  }
};

#define REQUIRE_SITE(site)                                                 \
  do {                                                                     \
    if (!(site).running()) GTEST_SKIP() << "python3 or the test site is missing"; \
  } while (false)

TEST(LocalSiteTest, StoresTheSameListForThePositionEveryTime) {
  TempFolder dir;
  LocalSite site(dir, {});
  REQUIRE_SITE(site);
  LoopbackDownloader downloader;
  WebUpdateContext context{downloader, site.base(), [&] { return dir.path().string(); }, {}};

  const std::string path = DownloadTpFile(context, *FindRowByPosValue("0.8W"));
  const std::string first = ReadFile(path);
  DownloadTpFile(context, *FindRowByPosValue("0.8W"));

  EXPECT_NE(first.find("[SATTYPE]\r\n1=3592\r\n"), std::string::npos) << first;
  EXPECT_EQ(ReadFile(path), first);
  EXPECT_FALSE(fs::exists(dir / "3590.ini"));  // 1.0W has a file of its own
  EXPECT_EQ(site.RequestLines(), std::vector<std::string>(2, "GET /dl.php?pos=0.8W HTTP/1.0"));
}

TEST(LocalSiteTest, EveryFailureModeKeepsTheOldList) {
  TempFolder dir;
  const std::vector<std::string> positions = {"39.0E", "4.0W", "5.0W", "7.0W", "1.0W"};
  LocalSite site(dir, {"--fail", "39.0E=404", "--fail", "4.0W=500", "--fail", "5.0W=reset",
                       "--fail", "7.0W=cut", "--fail", "1.0W=stall", "--stall-seconds", "3"});
  REQUIRE_SITE(site);
  LoopbackDownloader downloader;
  WebUpdateContext context{downloader, site.base(), [&] { return dir.path().string(); }, {}};

  for (const std::string& pos : positions) {
    SCOPED_TRACE(pos);
    const CatalogueRow& row = *FindRowByPosValue(pos);
    const std::string target = dir / std::string(row.fileName);
    WriteFile(target, "old list");
    EXPECT_THROW(DownloadTpFile(context, row), DownloadError);
    EXPECT_EQ(ReadFile(target), "old list");
    EXPECT_FALSE(fs::exists(TempPathBeside(target)));
  }
  EXPECT_EQ(site.RequestLines().size(), positions.size());
}

TEST(LocalSiteTest, UpdateAllSendsNothingAfterTheFailingStep) {
  TempFolder dir;
  LocalSite site(dir, {"--fail", "39.0E=404"});  // step 10 of UpdateAllOrder
  REQUIRE_SITE(site);
  LoopbackDownloader downloader;
  WebUpdateContext context{downloader, site.base(), [&] { return dir.path().string(); }, {}};

  const std::string step10File = dir / std::string(UpdateAllOrder()[9]->fileName);
  WriteFile(step10File, "old list");

  try {
    RunUpdateAll(context);
    ADD_FAILURE() << "no error";
  } catch (const DownloadError& e) {
    EXPECT_EQ(e.what(), "Error downloading URL: " + site.base() + "/dl.php?pos=39.0E");
  }

  std::vector<std::string> expected;
  for (std::size_t i = 0; i < 10; ++i) {
    const CatalogueRow& row = *UpdateAllOrder()[i];
    expected.push_back("GET /dl.php?pos=" + std::string(row.posValue) + " HTTP/1.0");
    if (i < 9) {
      EXPECT_TRUE(RegularFileExists(dir / std::string(row.fileName))) << row.posValue;
    }
  }
  EXPECT_EQ(site.RequestLines(), expected);
  EXPECT_EQ(ReadFile(step10File), "old list");
}

}  // namespace
}  // namespace velq
