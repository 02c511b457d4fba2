// The web update window of the real plug-in, fetching through the real urlmon
// from the sites of run_with_http_server.sh. Download failures and folder
// rules in all their cases are unit tests (download_job_test.cpp).

#include <gtest/gtest.h>
#include <windows.h>
// These need windows.h first.
#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/web_update_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "webupdate/tp_catalogue.h"

namespace {

using velq::WebUpdateWindow;
using namespace velq::wine_test;
using Icon = CapturedBox::Icon;

// Update-all's steps, written out by hand.
const std::vector<std::string> kUpdateAllOrder = {
    "21.5E", "23.5E", "25.8E", "26.0E", "28.2E", "28.5E", "31.5E", "33.0E", "36.0E", "39.0E",
    "7.0W",  "40.0E", "42.0E", "45.0E", "53.0E", "55.0E", "57.0E", "60.0E", "62.0E", "2.0E",
    "68.5E", "4.8E",  "64.0E", "0.8W",  "1.0W",  "13.0E", "4.0W",  "5.0W",  "72.0E", "75.0E",
    "70.5E", "8.0W",  "11.0W", "5.0E",  "12.5W", "14.0W", "15.0W", "22.0W", "24.5W", "27.5W",
    "30.0W", "31.5W", "34.5W", "7.0E",  "37.5W", "43.0W", "45.0W", "53.0W", "58.0W", "61.0W",
    "63.0W", "9.0E",  "10.0E", "16.0E", "19.2E", "18.0W"};

std::string FileName(const std::string& pos) { return std::string(velq::FindRowByPosValue(pos)->fileName); }
// What both sites send for a position: the lists velqtp serve holds.
std::string SiteList(const std::string& pos) {
  return ReadAll(Env("VELQ_TEST_SITE_DIR") + "/" + FileName(pos));
}

struct Site {
  std::string base, log;
  // The `pos` values asked for since `since` requests.
  std::vector<std::string> Positions(std::size_t since = 0) const {
    std::vector<std::string> positions;
    std::istringstream lines(ReadAll(log));
    // `"GET /dl.php?pos=13.0E" 200 190` from velqtp, `GET /dl.php?pos=13.0E HTTP/1.1` from the test server.
    for (std::string line; std::getline(lines, line);) {
      const auto at = line.find("GET /dl.php?pos=");
      if (at != std::string::npos) positions.push_back(line.substr(at + 16, line.find_first_of(" \"", at + 16) - at - 16));
    }
    return {positions.begin() + static_cast<std::ptrdiff_t>(since), positions.end()};
  }
};
const Site kSound{Env("VELQ_TEST_SITE"), Env("VELQ_TEST_SITE_LOG")};
const Site kFailing{Env("VELQ_TEST_FAILING_SITE"), Env("VELQ_TEST_FAILING_SITE_LOG")};
// Lets caches keep its lists for a day; the proxy caches in front of it.
const Site kCacheable{Env("VELQ_TEST_CACHEABLE_SITE"), Env("VELQ_TEST_CACHEABLE_SITE_LOG")};
const Site kProxy{Env("VELQ_TEST_PROXY"), ""};

// The plug-in reads the variable at every fetch, through the same C runtime.
void FetchFrom(const Site& site) { _putenv(("VELQ_TP_SITE=" + site.base).c_str()); }

std::string ErrorText(const Site& site, const std::string& pos) {
  return "Error downloading URL: " + site.base + "/dl.php?pos=" + pos + ".";
}

class WebUpdateWindowTest : public PluginHostTest {
 protected:
  void SetUp() override {
    if (kSound.base.empty() || kFailing.base.empty()) GTEST_SKIP() << "needs the sites of run_with_http_server.sh";
    FetchFrom(kSound);
    CreateDirectoryA(defaultFolder.c_str(), nullptr);  // the module creates none
    for (const std::string& pos : kUpdateAllOrder) DeleteFileA(Target(pos).c_str());
    PluginHostTest::SetUp();
    window = ShowPluginWindow(40066, WebUpdateWindow::kClassName);
    ASSERT_NE(nullptr, window);
    bar = FindControl(window, WebUpdateWindow::kProgressBar1);
  }

  void ClickPosition(const std::string& pos) {
    ClickButton(window, WebUpdateWindow::PositionButtonId(velq::FindRowByPosValue(pos)->button));
  }
  std::string Target(const std::string& pos) const { return defaultFolder + FileName(pos); }
  LRESULT BarMax() const { return SendMessageA(bar, PBM_GETRANGE, FALSE, 0); }
  LRESULT BarPos() const { return SendMessageA(bar, PBM_GETPOS, 0, 0); }

  const std::string defaultFolder = TestProgramFolder() + "Transponders\\";
  HWND window = nullptr, bar = nullptr;
  DialogCatcher dialogs;  // no box may block a test
};

TEST_F(WebUpdateWindowTest, ControlsShowTheirCaptionsAtTheirPlacesInTabOrder) {
  struct Control {
    int id;
    std::string text;
    LONG left, top, width, height;  // in the client area; 0: a label's size follows its text
  };
  std::vector<Control> controls = {
      {WebUpdateWindow::kButton57, "UPDATE ALL SATS FROM  2\xB0 E  TO   61\xB0W", 16, 528, 233, 25},
      {WebUpdateWindow::kButton58, "Change directory", 16, 497, 97, 25},
      {WebUpdateWindow::kLabel8, "Default is app path\\Transponders", 133, 505, 0, 0},
      {WebUpdateWindow::kEdit1, "", 316, 501, 345, 21},
      {WebUpdateWindow::kProgressBar1, "", 316, 528, 345, 26},
  };
  const int kRowTops[] = {56, 97, 138, 180, 221, 263, 304, 346, 387, 429};
  const int kPanelLefts[] = {8, 107, 207, 307, 407, 507, 607};
  std::vector<int> tabOrder = {WebUpdateWindow::kButton57};
  for (const velq::CatalogueRow& row : velq::TpCatalogue) {  // column 1 top to bottom, then column 2...
    controls.push_back({WebUpdateWindow::PositionButtonId(row.button), std::string(row.caption),
                        16 + 100 * (row.column - 1), kRowTops[row.row - 1], 75, 25});
    tabOrder.push_back(WebUpdateWindow::PositionButtonId(row.button));
  }
  for (int c = 1; c <= velq::kCatalogueColumns; ++c) {
    controls.push_back({WebUpdateWindow::kPanel1 + c - 1, "", kPanelLefts[c - 1], 28, 90, 456});
    controls.push_back({WebUpdateWindow::kLabel1 + c - 1, std::string(velq::ColumnLabel(c)),
                        kPanelLefts[c - 1] + (c == 5 ? 5 : 4), 38, 0, 0});
  }
  for (const Control& c : controls) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text, ControlText(window, c.id));
    const RECT r = ControlRect(window, c.id);
    EXPECT_EQ((std::vector{c.left, c.top, c.width, c.height}),
              (std::vector{r.left, r.top, c.width ? r.right - r.left : 0, c.height ? r.bottom - r.top : 0}));
  }
  EXPECT_EQ(100, BarMax());
  EXPECT_EQ(0, BarPos());
  tabOrder.insert(tabOrder.end(), {WebUpdateWindow::kButton58, WebUpdateWindow::kEdit1, WebUpdateWindow::kButton57});
  SetFocus(window);
  EXPECT_EQ(tabOrder, TabStops(window, static_cast<int>(tabOrder.size())));
}

// Each click asks the site, though it lets caches keep its lists for a day:
// neither Windows' Internet cache nor a caching proxy on the way may answer
// with the list the site had at the last click.
TEST_F(WebUpdateWindowTest, PositionButtonStoresOnlyAWholeFreshAnswerAndTheBarFollowsIt) {
  const std::string onSite = Env("VELQ_TEST_CACHEABLE_SITE_DIR") + "/" + FileName("13.0E");
  for (const Site& site : {kCacheable, kProxy}) {
    FetchFrom(site);
    for (const char* satellite : {"Hot Bird 13B", "Hot Bird 13C"}) {
      const std::string list = "[SATTYPE]\r\n1=0130\r\n2=" + std::string(satellite) + "\r\n[DVB]\r\n0=0\r\n";
      std::ofstream(onSite, std::ios::binary) << list;
      ClickPosition("13.0E");
      EXPECT_EQ(list, ReadAll(Target("13.0E"))) << site.base;
      EXPECT_EQ(static_cast<LRESULT>(list.size()), BarMax());
      EXPECT_EQ(BarMax(), BarPos());
    }
  }
  // Said in each request: Wine's urlmon drops the bind flags that say it.
  std::istringstream log(ReadAll(kCacheable.log));
  std::map<std::string, int> lines;
  for (std::string line; std::getline(log, line);) ++lines[line.substr(0, line.find(" HTTP/"))];
  EXPECT_EQ(4, lines["GET /dl.php?pos=13.0E"]);
  EXPECT_EQ(4, lines["  Cache-Control: no-cache"]);
  EXPECT_EQ(4, lines["  Pragma: no-cache"]);

  FetchFrom(kFailing);  // 4.8E comes without a length: urlmon reports no total
  ClickPosition("4.8E");
  EXPECT_EQ(SiteList("4.8E"), ReadAll(Target("4.8E")));
  EXPECT_EQ(0, BarMax());
  EXPECT_TRUE(dialogs.boxes().empty()) << "a fetch that worked shows no box";

  std::ofstream(Target("63.0W"), std::ios::binary) << "old\r\n";
  ClickPosition("63.0W");  // its body is cut short: an error, and the old list stays
  ASSERT_EQ(1u, dialogs.boxes().size());
  EXPECT_EQ(ErrorText(kFailing, "63.0W"), dialogs.boxes()[0].text);
  EXPECT_EQ(Icon::Error, dialogs.boxes()[0].icon);
  EXPECT_EQ("old\r\n", ReadAll(Target("63.0W")));
  host.close();  // the plug-in goes; urlmon's window on this thread stays, so its code must too
  EXPECT_TRUE(GetModuleHandleA("urlmon.dll"));
}

TEST_F(WebUpdateWindowTest, UpdateAllFetchesEveryStepInOrderUntilTheFirstFailure) {
  struct Case {
    const Site& site;
    std::size_t asked, stored;  // step 10, 39.0E, fails on the failing site
    std::string box;
    Icon icon;
  };
  for (const Case& c : {Case{kSound, 56, 56, "All satellites have been updated successfully", Icon::None},
                        Case{kFailing, 10, 9, ErrorText(kFailing, "39.0E"), Icon::Error}}) {
    SCOPED_TRACE(c.site.base);
    for (const std::string& pos : kUpdateAllOrder) std::ofstream(Target(pos), std::ios::binary) << "old\r\n";
    FetchFrom(c.site);
    const std::size_t before = c.site.Positions().size();
    const std::size_t boxes = dialogs.boxes().size();
    ClickButton(window, WebUpdateWindow::kButton57);
    EXPECT_EQ(std::vector(kUpdateAllOrder.begin(), kUpdateAllOrder.begin() + c.asked), c.site.Positions(before));
    for (std::size_t i = 0; i < kUpdateAllOrder.size(); ++i) {
      const std::string& pos = kUpdateAllOrder[i];
      EXPECT_EQ(i < c.stored ? SiteList(pos) : "old\r\n", ReadAll(Target(pos))) << pos;
    }
    ASSERT_EQ(boxes + 1, dialogs.boxes().size());
    EXPECT_EQ(c.box, dialogs.boxes().back().text);
    EXPECT_EQ(c.icon, dialogs.boxes().back().icon);
  }
}

TEST_F(WebUpdateWindowTest, TypedFolderTakesEffectAtTheNextTick) {
  const std::string typed = TestProgramFolder();
  struct Case { std::string text, folder; };
  // A separator is added when missing; blanks name no folder.
  for (const Case& c : {Case{typed, typed}, Case{typed.substr(0, typed.size() - 1), typed}, Case{"", defaultFolder},
                        Case{"  ", defaultFolder}}) {
    SCOPED_TRACE('"' + c.text + '"');
    const std::string stored = c.folder + "0130.ini";
    DeleteFileA(stored.c_str());
    SetEditText(window, WebUpdateWindow::kEdit1, c.text);
    SendMessageA(window, WM_TIMER, WebUpdateWindow::kTimer1, 0);  // a tick, without waiting a second
    ClickPosition("13.0E");
    EXPECT_EQ(SiteList("13.0E"), ReadAll(stored));
    DeleteFileA(stored.c_str());
  }
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(WebUpdateWindowTest, ChangeDirectoryPutsTheChosenFolderIntoEdit1) {
  SetEditText(window, WebUpdateWindow::kEdit1, "C:\\Lists\\");
  ClickButton(window, WebUpdateWindow::kButton58);  // the fixture's catcher cancels the dialog
  ASSERT_EQ(1, dialogs.otherDialogCount());
  EXPECT_EQ("C:\\Lists\\", ControlText(window, WebUpdateWindow::kEdit1));
  const std::string chosen = TestProgramFolder().substr(0, TestProgramFolder().size() - 1);
  RECT placed{}, work{};
  bool titledAndOwnerless = false;
  DialogCatcher choosing([&](HWND dialog) {
    GetWindowRect(dialog, &placed);
    // No owner: the window stays usable, and a second click finds this dialog rather than opening another.
    titledAndOwnerless = FindWindowExA(dialog, nullptr, nullptr, "Select a folder") && !GetWindow(dialog, GW_OWNER) &&
                         IsWindowEnabled(window);
    PostMessageA(FindControl(window, WebUpdateWindow::kButton58), BM_CLICK, 0, 0);
    PostMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(chosen.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  // Wine's dialog now and then fills its tree after our selection and lands
  // on the Desktop; a person would pick again, and so do we, twice at most.
  int attempts = 0;
  do ClickButton(window, WebUpdateWindow::kButton58);
  while (++attempts < 3 && ControlText(window, WebUpdateWindow::kEdit1) != chosen + "\\");
  EXPECT_EQ(attempts, choosing.otherDialogCount());
  EXPECT_EQ(chosen + "\\", ControlText(window, WebUpdateWindow::kEdit1));
  EXPECT_TRUE(titledAndOwnerless);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);  // centred on the work area's size
  EXPECT_EQ((work.right - work.left) / 2 - (placed.right - placed.left) / 2, placed.left);
  EXPECT_EQ((work.bottom - work.top) / 2 - (placed.bottom - placed.top) / 2, placed.top);
}

// Its own ctest entry, with URLMON.DLL disabled.
TEST_F(WebUpdateWindowTest, WithoutUrlmonEveryFetchFailsAndNothingIsSent) {
  if (Env("VELQ_TEST_URLMON_DISABLED") != "1") GTEST_SKIP() << "runs in the entry that disables URLMON.DLL";
  const std::size_t asked = kSound.Positions().size();
  ClickPosition("13.0E");
  ClickButton(window, WebUpdateWindow::kButton57);
  ASSERT_EQ(2u, dialogs.boxes().size());
  for (const CapturedBox& box : dialogs.boxes()) EXPECT_EQ("Unable to load URLMON.DLL.", box.text);
  EXPECT_EQ(Icon::Error, dialogs.boxes()[1].icon);
  EXPECT_TRUE(kSound.Positions(asked).empty());
}

}  // namespace
