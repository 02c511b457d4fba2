// The web update window end to end: the real plug-in in the host simulator,
// downloading through urlmon from the local test sites that
// run_with_http_server.sh starts (velqtp serve holding all 56 lists, and one
// that fails chosen positions: 39.0E=404, 5.0W=500, 0.8W=reset, 63.0W=cut).

#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>
// These need windows.h first.
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/web_update_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "webupdate/tp_catalogue.h"
#include "webupdate/update_all_order.h"

namespace {

using velq::CatalogueRow;
using velq::FindRowByPosValue;
using velq::WebUpdateWindow;
using namespace velq::wine_test;
using Icon = CapturedBox::Icon;

constexpr UINT kWebUpdateCommand = 40066;

// ---- the test sites ------------------------------------------------------

struct TestSite {
  std::string base;     // http://127.0.0.1:port
  std::string logPath;  // the server's request log, as a Windows path
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Wine shows the Unix root as drive Z:.
std::string WindowsPathOf(std::string unixPath) {
  for (char& c : unixPath)
    if (c == '/') c = '\\';
  return "Z:" + unixPath;
}

TestSite SiteFromEnvironment(const char* base, const char* log) {
  return {Environment(base), WindowsPathOf(Environment(log))};
}

TestSite SoundSite() { return SiteFromEnvironment("VELQ_TEST_SITE", "VELQ_TEST_SITE_LOG"); }
TestSite FailingSite() {
  return SiteFromEnvironment("VELQ_TEST_FAILING_SITE", "VELQ_TEST_FAILING_SITE_LOG");
}

// The plug-in reads the variable at every fetch, through the same C runtime.
void FetchFrom(const TestSite& site) { _putenv(("VELQ_TP_SITE=" + site.base).c_str()); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The `pos` values a site was asked for, from the request lines of its log.
class RequestLog {
 public:
  explicit RequestLog(const TestSite& site) : path_(site.logPath), seen_(All().size()) {}
  // Requests since this object was made.
  std::vector<std::string> NewPositions() const {
    std::vector<std::string> all = All();
    return {all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end()};
  }

 private:
  std::vector<std::string> All() const {
    std::vector<std::string> positions;
    std::istringstream lines(ReadWholeFile(path_));
    for (std::string line; std::getline(lines, line);) {
      auto start = line.find("pos=");
      if (start == std::string::npos) continue;
      start += 4;
      // "pos=13.0E HTTP/1.1" from the failing site, "pos=13.0E\" 200 190" from velqtp serve.
      positions.push_back(line.substr(start, line.find_first_of(" \"", start) - start));
    }
    return positions;
  }
  std::string path_;
  std::size_t seen_;
};

// What the test server sends for a position, and the lists it writes for
// velqtp serve (http_test_server.py, list_body).
std::string ExpectedList(const CatalogueRow& row) {
  const std::string pos(row.posValue);
  const std::string code(row.fileName.substr(0, 4));
  const int n = std::stoi(code) % 1000;
  char entries[80];
  std::snprintf(entries, sizeof entries, "1=%05d,H,27500,34,DVB-S,QPSK\r\n2=%05d,V,22000,56,DVB-S2,8PSK\r\n",
                10700 + n, 11700 + n);
  return ";    [Velq test server list for " + pos + "]\r\n[SATTYPE]\r\n1=" + code +
         "\r\n2=Test satellite " + pos + "\r\n[DVB]\r\n0=2\r\n" + entries;
}

// ---- files -----------------------------------------------------------------

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

void EmptyFolder(const std::string& folder) {
  for (const std::string& name : FileNamesIn(folder)) DeleteFileA((folder + name).c_str());
}

// A folder of its own for one test, removed with its files afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "velq-webupdate-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count_) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    EmptyFolder(path_);
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }
  // Without the trailing backslash.
  std::string bare() const { return path_.substr(0, path_.size() - 1); }

 private:
  static inline int count_ = 0;
  std::string path_;
};

const CatalogueRow& Row(const char* posValue) { return *FindRowByPosValue(posValue); }

// ---- the fixture ---------------------------------------------------------

class WebUpdateWindowTest : public PluginHostTest {
 protected:
  void SetUp() override {
    if (SoundSite().base.empty() || FailingSite().base.empty())
      GTEST_SKIP() << "needs the test sites of run_with_http_server.sh";
    FetchFrom(SoundSite());
    // The module creates no folder: the host's Transponders folder is ours.
    CreateDirectoryA(defaultFolder.c_str(), nullptr);
    EmptyFolder(defaultFolder);
    PluginHostTest::SetUp();
    window = ShowPluginWindow(kWebUpdateCommand, WebUpdateWindow::kClassName);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override {
    PluginHostTest::TearDown();
    FetchFrom(SoundSite());
  }

  void Click(int id) { ClickButton(window, id); }
  void ClickPosition(const CatalogueRow& row) { Click(WebUpdateWindow::PositionButtonId(row.button)); }
  // What a tick of Timer1 does, without waiting a second for it.
  void Tick() { SendMessageA(window, WM_TIMER, WebUpdateWindow::kTimer1, 0); }
  void TypeFolder(const std::string& text) {
    SetEditText(window, WebUpdateWindow::kEdit1, text);
    Tick();
  }
  std::string ErrorText(const TestSite& site, const CatalogueRow& row) const {
    return "Error downloading URL: " + site.base + "/dl.php?pos=" + std::string(row.posValue) + ".";
  }

  const std::string defaultFolder = TestProgramFolder() + "Transponders\\";
  HWND window = nullptr;
};

// ---- layout ----------------------------------------------------------------

TEST_F(WebUpdateWindowTest, EveryPositionButtonStandsInItsColumnWithItsCaption) {
  constexpr int kRowTops[] = {56, 97, 138, 180, 221, 263, 304, 346, 387, 429};
  for (const CatalogueRow& row : velq::TpCatalogue) {
    SCOPED_TRACE("Button" + std::to_string(row.button));
    const int id = WebUpdateWindow::PositionButtonId(row.button);
    EXPECT_EQ(std::string(row.caption), ControlText(window, id));
    RECT r = ControlRect(window, id);
    EXPECT_EQ(16 + 100 * (row.column - 1), r.left);
    EXPECT_EQ(kRowTops[row.row - 1], r.top);
    EXPECT_EQ(75, r.right - r.left);
    EXPECT_EQ(25, r.bottom - r.top);
  }
  for (int column = 1; column <= velq::kCatalogueColumns; ++column) {
    EXPECT_EQ(std::string(velq::ColumnLabel(column)),
              ControlText(window, WebUpdateWindow::kLabel1 + column - 1));
    RECT panel = ControlRect(window, WebUpdateWindow::kPanel1 + column - 1);
    EXPECT_EQ(28, panel.top);
    EXPECT_EQ(90, panel.right - panel.left);
  }
  EXPECT_EQ("UPDATE ALL SATS FROM  2\xB0 E  TO   61\xB0W", ControlText(window, WebUpdateWindow::kButton57));
  EXPECT_EQ("Change directory", ControlText(window, WebUpdateWindow::kButton58));
  EXPECT_EQ("Default is app path\\Transponders", ControlText(window, WebUpdateWindow::kLabel8));
  EXPECT_EQ("", ControlText(window, WebUpdateWindow::kEdit1));
  HWND bar = FindControl(window, WebUpdateWindow::kProgressBar1);
  EXPECT_EQ(100, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
  EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
  RECT client = ClientRectOf(window);
  EXPECT_EQ(703, client.right);
  EXPECT_EQ(568, client.bottom);
  EXPECT_NE(nullptr, GetMenu(window));
}

// ---- one position ----------------------------------------------------------

TEST_F(WebUpdateWindowTest, PositionButtonStoresItsListInTheDefaultFolder) {
  RequestLog log(SoundSite());
  DialogCatcher dialogs;
  // East below 10 degrees, a west half degree, and 0.8W beside 1.0W.
  for (const char* pos : {"13.0E", "4.8E", "12.5W", "0.8W"}) {
    SCOPED_TRACE(pos);
    ClickPosition(Row(pos));
    EXPECT_EQ(ExpectedList(Row(pos)), ReadWholeFile(defaultFolder + std::string(Row(pos).fileName)));
  }
  EXPECT_EQ((std::vector<std::string>{"13.0E", "4.8E", "12.5W", "0.8W"}), log.NewPositions());
  EXPECT_EQ((std::vector<std::string>{"0048.ini", "0130.ini", "3475.ini", "3592.ini"}),
            FileNamesIn(defaultFolder));
  EXPECT_TRUE(dialogs.boxes().empty()) << "a single fetch shows no box";
}

TEST_F(WebUpdateWindowTest, ProgressBarEndsAtTheSizeOfTheLastFile) {
  ClickPosition(Row("13.0E"));
  HWND bar = FindControl(window, WebUpdateWindow::kProgressBar1);
  const auto size = static_cast<LRESULT>(ExpectedList(Row("13.0E")).size());
  EXPECT_EQ(size, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
  EXPECT_EQ(size, SendMessageA(bar, PBM_GETPOS, 0, 0));
}

TEST_F(WebUpdateWindowTest, TypedFolderIsUsedFromTheNextTick) {
  ScratchFolder scratch;
  SetEditText(window, WebUpdateWindow::kEdit1, scratch.path());
  ClickPosition(Row("13.0E"));  // before the tick: still the default folder
  EXPECT_TRUE(FileExists(defaultFolder + "0130.ini"));
  EXPECT_FALSE(FileExists(scratch.path() + "0130.ini"));
  DeleteFileA((defaultFolder + "0130.ini").c_str());

  // With its backslash, and without: the separator is added, never glued on.
  for (const std::string& typed : {scratch.path(), scratch.bare()}) {
    SCOPED_TRACE(typed);
    EmptyFolder(scratch.path());
    TypeFolder(typed);
    ClickPosition(Row("13.0E"));
    EXPECT_EQ(ExpectedList(Row("13.0E")), ReadWholeFile(scratch.path() + "0130.ini"));
    EXPECT_FALSE(FileExists(scratch.bare() + "0130.ini"));
  }
  EXPECT_FALSE(FileExists(defaultFolder + "0130.ini"));

  // Empty again, or only blanks: no folder typed, the default comes back.
  for (const char* none : {"", "   "}) {
    SCOPED_TRACE('"' + std::string(none) + '"');
    DeleteFileA((defaultFolder + "0130.ini").c_str());
    TypeFolder(none);
    ClickPosition(Row("13.0E"));
    EXPECT_TRUE(FileExists(defaultFolder + "0130.ini"));
  }
}

// ---- keyboard -------------------------------------------------------------------

TEST_F(WebUpdateWindowTest, TabWalksTheButtonsColumnByColumnThenTheFolderBox) {
  std::vector<int> expected = {WebUpdateWindow::kButton57};
  for (const CatalogueRow& row : velq::TpCatalogue)  // each column top to bottom
    expected.push_back(WebUpdateWindow::PositionButtonId(row.button));
  for (int id : {WebUpdateWindow::kButton58, WebUpdateWindow::kEdit1, WebUpdateWindow::kButton57})
    expected.push_back(id);
  SetFocus(window);
  EXPECT_EQ(expected, TabStops(window, static_cast<int>(expected.size())));
}

// ---- update all --------------------------------------------------------------

TEST_F(WebUpdateWindowTest, UpdateAllFetchesEveryStepInOrderAndReportsSuccess) {
  RequestLog log(SoundSite());  // velqtp serve, holding all 56 lists
  DialogCatcher dialogs;
  Click(WebUpdateWindow::kButton57);

  std::vector<std::string> expected;
  for (const CatalogueRow* row : velq::UpdateAllOrder()) expected.emplace_back(row->posValue);
  EXPECT_EQ(expected, log.NewPositions());
  for (const CatalogueRow* row : velq::UpdateAllOrder())
    EXPECT_EQ(ExpectedList(*row), ReadWholeFile(defaultFolder + std::string(row->fileName)))
        << row->fileName;
  EXPECT_EQ(56u, expected.size());
  EXPECT_EQ(56u, FileNamesIn(defaultFolder).size());
  ASSERT_EQ(1u, dialogs.boxes().size());
  EXPECT_EQ("All satellites have been updated successfully", dialogs.boxes()[0].text);
  EXPECT_EQ(Icon::None, dialogs.boxes()[0].icon);
}

TEST_F(WebUpdateWindowTest, UpdateAllStopsAtAListTheSiteLacksAndKeepsItsOldList) {
  const TestSite site = SoundSite();
  const auto& order = velq::UpdateAllOrder();
  ASSERT_EQ("39.0E", order[9]->posValue);
  // The site without the list of step 10: velqtp serve answers 404.
  const std::string siteList = WindowsPathOf(Environment("VELQ_TEST_SITE_DIR")) + "\\0390.ini";
  ASSERT_TRUE(MoveFileA(siteList.c_str(), (siteList + ".away").c_str()));
  // Old lists in every file, so "written" and "kept" both show.
  for (const CatalogueRow* row : order) WriteWholeFile(defaultFolder + std::string(row->fileName), "old\r\n");
  RequestLog log(site);
  DialogCatcher dialogs;
  Click(WebUpdateWindow::kButton57);
  MoveFileA((siteList + ".away").c_str(), siteList.c_str());

  std::vector<std::string> firstTen;
  for (std::size_t i = 0; i < 10; ++i) firstTen.emplace_back(order[i]->posValue);
  EXPECT_EQ(firstTen, log.NewPositions()) << "nothing is asked for after the failure";
  for (std::size_t i = 0; i < 9; ++i)
    EXPECT_EQ(ExpectedList(*order[i]), ReadWholeFile(defaultFolder + std::string(order[i]->fileName)));
  for (std::size_t i = 9; i < order.size(); ++i)
    EXPECT_EQ("old\r\n", ReadWholeFile(defaultFolder + std::string(order[i]->fileName)));
  ASSERT_EQ(1u, dialogs.boxes().size()) << "an error box and no success box";
  EXPECT_EQ(ErrorText(site, *order[9]), dialogs.boxes()[0].text);
  EXPECT_EQ(Icon::Error, dialogs.boxes()[0].icon);
}

// ---- failures ----------------------------------------------------------------

TEST_F(WebUpdateWindowTest, FailedDownloadIsAnErrorAndKeepsTheOldList) {
  const TestSite site = FailingSite();
  FetchFrom(site);
  DialogCatcher dialogs;
  struct Case {
    const char* pos;
    const char* how;
  };
  for (Case c : {Case{"39.0E", "404"}, Case{"5.0W", "500"}, Case{"0.8W", "connection reset"},
                 Case{"63.0W", "body cut short"}}) {
    SCOPED_TRACE(c.how);
    const CatalogueRow& row = Row(c.pos);
    const std::string target = defaultFolder + std::string(row.fileName);
    WriteWholeFile(target, "old\r\n");
    const std::size_t boxesBefore = dialogs.boxes().size();
    ClickPosition(row);
    ASSERT_EQ(boxesBefore + 1, dialogs.boxes().size());
    EXPECT_EQ(ErrorText(site, row), dialogs.boxes().back().text);
    EXPECT_EQ(Icon::Error, dialogs.boxes().back().icon);
    EXPECT_EQ("old\r\n", ReadWholeFile(target));
  }
  for (const std::string& name : FileNamesIn(defaultFolder))
    EXPECT_EQ(".ini", name.substr(name.size() - 4)) << "a temporary file was left: " << name;
}

TEST_F(WebUpdateWindowTest, MissingFolderIsAnError) {
  ScratchFolder scratch;
  const std::string missing = scratch.path() + "no such folder\\";
  TypeFolder(missing);
  DialogCatcher dialogs;
  ClickPosition(Row("13.0E"));
  ASSERT_EQ(1u, dialogs.boxes().size());
  EXPECT_EQ(ErrorText(SoundSite(), Row("13.0E")), dialogs.boxes()[0].text);
  EXPECT_EQ(Icon::Error, dialogs.boxes()[0].icon);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str())) << "no folder is made";
}

// ---- change directory ----------------------------------------------------------

TEST_F(WebUpdateWindowTest, ChangeDirectoryPutsTheChosenFolderIntoEdit1) {
  ScratchFolder scratch;
  const std::string chosen = scratch.bare();
  RECT dialogRect{};
  bool titled = false;
  HWND owner = nullptr;
  bool windowUsable = false;
  DialogCatcher dialogs([&](HWND dialog) {
    GetWindowRect(dialog, &dialogRect);
    titled = FindWindowExA(dialog, nullptr, nullptr, "Select a folder") != nullptr;
    // No owner: the web update window stays usable, and clicking "Change
    // directory" again finds this dialog rather than opening a second one.
    owner = GetWindow(dialog, GW_OWNER);
    windowUsable = IsWindowEnabled(window);
    PostMessageA(FindControl(window, WebUpdateWindow::kButton58), BM_CLICK, 0, 0);
    PostMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(chosen.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  // Wine's folder dialog now and then fills its tree after our selection and
  // lands on the Desktop; a person would pick again, and so do we, twice at most.
  int attempts = 0;
  do {
    ++attempts;
    Click(WebUpdateWindow::kButton58);
  } while (attempts < 3 && ControlText(window, WebUpdateWindow::kEdit1) != chosen + "\\");

  ASSERT_EQ(attempts, dialogs.otherDialogCount());
  EXPECT_TRUE(titled);
  EXPECT_EQ(nullptr, owner);
  EXPECT_TRUE(windowUsable);
  EXPECT_EQ(chosen + "\\", ControlText(window, WebUpdateWindow::kEdit1));
  // Centred on the work area's size, the work area's own origin left out.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ((work.right - work.left) / 2 - (dialogRect.right - dialogRect.left) / 2, dialogRect.left);
  EXPECT_EQ((work.bottom - work.top) / 2 - (dialogRect.bottom - dialogRect.top) / 2, dialogRect.top);
}

TEST_F(WebUpdateWindowTest, CancelledFolderDialogChangesNothing) {
  SetEditText(window, WebUpdateWindow::kEdit1, "C:\\Lists\\");
  DialogCatcher dialogs;  // cancels the folder dialog
  Click(WebUpdateWindow::kButton58);
  EXPECT_EQ(1, dialogs.otherDialogCount());
  EXPECT_EQ("C:\\Lists\\", ControlText(window, WebUpdateWindow::kEdit1));
}

// ---- without urlmon (its own ctest entry, with URLMON.DLL disabled) ----------

TEST_F(WebUpdateWindowTest, WithoutUrlmonEveryFetchFailsAndNothingIsSent) {
  if (Environment("VELQ_TEST_URLMON_DISABLED") != "1")
    GTEST_SKIP() << "runs in the entry that disables URLMON.DLL";
  RequestLog log(SoundSite());
  DialogCatcher dialogs;
  ClickPosition(Row("13.0E"));
  Click(WebUpdateWindow::kButton57);
  ASSERT_EQ(2u, dialogs.boxes().size());
  for (const CapturedBox& box : dialogs.boxes()) {
    EXPECT_EQ("Unable to load URLMON.DLL.", box.text);
    EXPECT_EQ(Icon::Error, box.icon);
  }
  EXPECT_TRUE(log.NewPositions().empty());
}

}  // namespace
