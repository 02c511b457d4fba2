// "Save selected" on real files; a failure leaves both list and old file as they were.

#include "search/save_selected.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "core/file_store.h"
#include "search/vector_check_list.h"
#include "tests/support/test_files.h"

namespace velq {
namespace {

namespace fs = std::filesystem;

// Files may grow only to `bytes` (0: no limit) while it lives: a real write
// failure (EFBIG).
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{bytes ? bytes : saved.rlim_cur, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
  rlimit saved{};
};

// The year is padded to four digits; '.' is the locale's time separator.
const std::string kHeader = ";    [Created by Velq Transponders Updater 0987-01-02 00.04.05]\r\n";
const std::string kOldFile = "old list\r\n";

struct SaveSelectedTest : ::testing::Test {
  SaveSelectedTest() {
    for (const char* text : {"12188,H,27500,23,DVB-S2,8PSK", "11727,V,27500,34,DVB-S,QPSK"}) list.Add(text, true);
    list.Add("11000,H,27500,34,DVB-S,QPSK", false);
    test::WriteFile(target, kOldFile);
  }
  bool OnlyTargetInFolder() const { return std::distance(fs::directory_iterator(dir.path()), {}) == 1; }

  test::TempFolder dir;
  const std::string target = dir / "0192.ini";
  SaveSelectedRequest request{dir.path().string() + "/", "0192", "Astra (19,2\xB0" "E)", {987, 1, 2, 0, 4, 5}, '.'};
  VectorCheckList list;
};

TEST_F(SaveSelectedTest, WritesCheckedEntriesInListOrderThenDropsTheRest) {
  test::WriteFile(TempPathBeside(target), "half a li");  // left by a crash
  EXPECT_EQ(SaveSelected(list, request), target);
  EXPECT_EQ(test::ReadFile(target), kHeader + "[SATTYPE]\r\n1=0192\r\n2=Astra (19,2\xB0" "E)\r\n[DVB]\r\n0=2\r\n"
                                        "1=11727,V,27500,34,DVB-S,QPSK\r\n2=12188,H,27500,23,DVB-S2,8PSK\r\n");
  EXPECT_EQ(list.entries(), (std::vector<VectorCheckList::Entry>{{"11727,V,27500,34,DVB-S,QPSK", true},
                                                                 {"12188,H,27500,23,DVB-S2,8PSK", true}}));
  EXPECT_TRUE(OnlyTargetInFolder());
  // Nothing checked, no name: both sections stand all the same.
  for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, false);
  request.satPositionName.clear();
  SaveSelected(list, request);
  EXPECT_EQ(test::ReadFile(target), kHeader + "[SATTYPE]\r\n1=0192\r\n2=\r\n[DVB]\r\n0=0\r\n");
}

// A save that gets as far as the temporary file finds one left by a crash, and leaves none. toFolder: the
// target is a folder, so the move over it fails.
TEST_F(SaveSelectedTest, FailureKeepsListAndOldFile) {
  const std::string unableToWrite = "Unable to write to " + target;
  const struct { const char* name; std::string error; rlim_t limit; bool toFolder, noPosition, noFolder; } cases[] = {
      {"no position yet", kNoSatellitePositionText, 0, false, true, false},
      {"missing folder", "I/O error 2", 0, false, false, true},
      {"header write fails", "I/O error 27", 10, false, false, false},
      {"content write fails", unableToWrite, kHeader.size() + 10, false, false, false},
      {"target is a folder", unableToWrite, 0, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(target);
    if (c.toFolder) fs::create_directory(target);
    else test::WriteFile(target, kOldFile);
    if (!c.noPosition && !c.noFolder) test::WriteFile(TempPathBeside(target), "half a li");
    SaveSelectedRequest failing = request;
    if (c.noPosition) failing.satPositionCode.clear();
    if (c.noFolder) failing.folder = dir / "missing/";
    try {
      const FileSizeLimit limit(c.limit);
      SaveSelected(list, failing);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    EXPECT_EQ(list.Count(), 3) << "unticked entries are deleted only after a save";
    if (c.toFolder) EXPECT_TRUE(fs::is_directory(target));
    else EXPECT_EQ(test::ReadFile(target), kOldFile);
    EXPECT_TRUE(OnlyTargetInFolder());
  }
}

}  // namespace
}  // namespace velq
