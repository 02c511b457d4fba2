#include "search/save_selected.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/file_store.h"
#include "tests/support/test_files.h"
#include "search/transponder_list_file.h"
#include "search/vector_check_list.h"

namespace velq {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;


// Files may grow only to `bytes` while it lives: a real write failure
// (EFBIG) in the middle of a save.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

// The text of the `Error` that `action` throws.
template <typename Error, typename Action>
std::string FailureText(Action action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

class SaveSelectedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velq-save-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    request_ = {dir_.string() + "/", "0192", "Astra (19,2\xB0" "E)", {2024, 3, 9, 18, 5, 42}, ':'};
    list_.Add("12188,H,27500,23,DVB-S2,8PSK", true);
    list_.Add("11727,V,27500,34,DVB-S,QPSK", true);
    list_.Add("11000,H,27500,34,DVB-S,QPSK", false);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Target() const { return dir_ / "0192.ini"; }
  bool OnlyTargetInFolder() const {
    return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()) == 1;
  }

  fs::path dir_;
  SaveSelectedRequest request_;
  VectorCheckList list_;
  const std::string oldFile_ = "old list\r\n";
};

TEST_F(SaveSelectedTest, WritesCheckedEntriesAndDropsTheRest) {
  WriteFile(Target(), oldFile_);
  WriteFile(TempPathBeside(Target().string()), "half a li");  // left by a crash
  EXPECT_EQ(SaveSelected(list_, request_), Target().string());
  const std::vector<std::string> kept = {"11727,V,27500,34,DVB-S,QPSK", "12188,H,27500,23,DVB-S2,8PSK"};
  EXPECT_EQ(list_.CheckedTexts(), kept);
  EXPECT_EQ(list_.Count(), 2);
  EXPECT_EQ(ReadFile(Target()),
            TransponderListFileBytes({"0192", request_.satPositionName, kept}, request_.now, ':'));
  EXPECT_TRUE(OnlyTargetInFolder());
}

TEST_F(SaveSelectedTest, NoPositionYetWritesNothing) {
  request_.satPositionCode.clear();
  EXPECT_EQ(FailureText<SaveSelectedError>([&] { SaveSelected(list_, request_); }), kNoSatellitePositionText);
  EXPECT_EQ(list_.Count(), 3);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(SaveSelectedTest, MissingFolderFailsBeforeTouchingTheList) {
  request_.folder = (dir_ / "missing").string() + "/";
  EXPECT_EQ(FailureText<FileStoreError>([&] { SaveSelected(list_, request_); }),
            "I/O error " + std::to_string(ENOENT));
  EXPECT_EQ(list_.Count(), 3);
}

TEST_F(SaveSelectedTest, HeaderWriteFailureLeavesListAndOldFile) {
  WriteFile(Target(), oldFile_);
  const std::string error = FailureText<FileStoreError>([&] {
    FileSizeLimit limit(10);
    SaveSelected(list_, request_);
  });
  EXPECT_EQ(error, "I/O error " + std::to_string(EFBIG));
  EXPECT_EQ(list_.Count(), 3);
  EXPECT_EQ(ReadFile(Target()), oldFile_);
  EXPECT_TRUE(OnlyTargetInFolder());
}

TEST_F(SaveSelectedTest, FailedWriteOrReplaceKeepsListAndOldFile) {
  struct Case {
    const char* name;
    bool targetIsFolder;   // the move over the target cannot succeed
    bool writeFails;       // the disk fills after the header
    bool staleTemp;        // a crash left a temporary file beside the list
  };
  const Case cases[] = {
      {"content write fails", false, true, false},
      {"target is a folder", true, false, false},
      {"content write fails after a crash", false, true, true},
      {"target is a folder after a crash", true, false, true},
  };
  const size_t headerSize = CreatedByLine(request_.now, ':').size();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Target());
    if (c.targetIsFolder) fs::create_directory(Target());
    else WriteFile(Target(), oldFile_);
    if (c.staleTemp) WriteFile(TempPathBeside(Target().string()), "half a li");
    const std::string error = FailureText<SaveSelectedError>([&] {
      std::optional<FileSizeLimit> limit;
      if (c.writeFails) limit.emplace(headerSize + 10);
      SaveSelected(list_, request_);
    });
    EXPECT_EQ(error, "Unable to write to " + Target().string());
    EXPECT_EQ(list_.Count(), 3) << "unticked entries are deleted only after a save";
    if (c.targetIsFolder) EXPECT_TRUE(fs::is_directory(Target()));
    else EXPECT_EQ(ReadFile(Target()), oldFile_);
    EXPECT_TRUE(OnlyTargetInFolder());
  }
}

}  // namespace
}  // namespace velq
