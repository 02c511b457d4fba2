// "Save selected" on real files: the exact bytes of the list file, and every
// failure leaving both the list and the old file as they were.

#include "search/save_selected.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>

#include "core/file_store.h"
#include "search/vector_check_list.h"
#include "tests/support/test_files.h"

namespace velq {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// Files may grow only to `bytes` while it lives: a real write failure (EFBIG).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  void (*oldHandler_)(int);
  rlimit saved_{};
};

// The year is padded to four digits; '.' is the locale's time separator.
const std::string kHeader = ";    [Created by Velq Transponders Updater 0987-01-02 00.04.05]\r\n";
const std::string kOldFile = "old list\r\n";

struct SaveSelectedTest : ::testing::Test {
  SaveSelectedTest() {
    list.Add("12188,H,27500,23,DVB-S2,8PSK", true);
    list.Add("11727,V,27500,34,DVB-S,QPSK", true);
    list.Add("11000,H,27500,34,DVB-S,QPSK", false);
    WriteFile(target, kOldFile);
  }
  bool OnlyTargetInFolder() const {
    return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()) == 1;
  }

  test::TempFolder dir;
  const std::string target = dir / "0192.ini";
  SaveSelectedRequest request{dir.path().string() + "/", "0192", "Astra (19,2\xB0" "E)", {987, 1, 2, 0, 4, 5}, '.'};
  VectorCheckList list;
};

TEST_F(SaveSelectedTest, WritesCheckedEntriesInListOrderThenDropsTheRest) {
  WriteFile(TempPathBeside(target), "half a li");  // left by a crash
  EXPECT_EQ(SaveSelected(list, request), target);
  EXPECT_EQ(ReadFile(target), kHeader +
                                  "[SATTYPE]\r\n1=0192\r\n2=Astra (19,2\xB0" "E)\r\n"
                                  "[DVB]\r\n0=2\r\n1=11727,V,27500,34,DVB-S,QPSK\r\n2=12188,H,27500,23,DVB-S2,8PSK\r\n");
  EXPECT_EQ(list.entries(), (std::vector<VectorCheckList::Entry>{{"11727,V,27500,34,DVB-S,QPSK", true},
                                                                 {"12188,H,27500,23,DVB-S2,8PSK", true}}));
  EXPECT_TRUE(OnlyTargetInFolder());
}

TEST_F(SaveSelectedTest, FailureKeepsListAndOldFile) {
  const std::string unableToWrite = "Unable to write to " + target;
  const struct {
    const char* name;
    std::string error;
    rlim_t sizeLimit = 0;         // files cannot grow beyond it; 0: no limit
    bool targetIsFolder = false;  // the move over the target cannot succeed
    bool staleTemp = false;       // a crash left a temporary file beside the list
    bool noPosition = false;      // no search has named a position yet
    bool noFolder = false;
  } cases[] = {
      {"no position yet", kNoSatellitePositionText, 0, false, false, true},
      {"missing folder", "I/O error 2", 0, false, false, false, true},
      {"header write fails", "I/O error 27", 10},
      {"content write fails", unableToWrite, kHeader.size() + 10},
      {"content write fails after a crash", unableToWrite, kHeader.size() + 10, false, true},
      {"target is a folder", unableToWrite, 0, true},
      {"target is a folder after a crash", unableToWrite, 0, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(target);
    if (c.targetIsFolder) fs::create_directory(target);
    else WriteFile(target, kOldFile);
    if (c.staleTemp) WriteFile(TempPathBeside(target), "half a li");
    SaveSelectedRequest failing = request;
    if (c.noPosition) failing.satPositionCode.clear();
    if (c.noFolder) failing.folder = dir / "missing/";
    try {
      std::optional<FileSizeLimit> limit;
      if (c.sizeLimit) limit.emplace(c.sizeLimit);
      SaveSelected(list, failing);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    EXPECT_EQ(list.Count(), 3) << "unticked entries are deleted only after a save";
    if (c.targetIsFolder) EXPECT_TRUE(fs::is_directory(target));
    else EXPECT_EQ(ReadFile(target), kOldFile);
    EXPECT_TRUE(OnlyTargetInFolder());
  }
}

}  // namespace
}  // namespace velq
