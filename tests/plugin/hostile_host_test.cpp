// A host that does things in the wrong order, or hands over nonsense, must not
// bring the plug-in (and with it the host) down.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <chrono>
#include <fstream>
#include <string>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"
#include "tools/mdhost/plugin_library.h"
#include "tools/mdhost/ts_payload_reader.h"

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using mdhost::HostEventKind;
using mdhost::MdHost;
using velq::SearchWindow;

// A recording of 7.0W: 39 transponders, each once after "Remove duplicated".
// Wine maps the Unix path of the source tree to its Z: drive.
const std::string kSample = std::string(__FILE__).substr(0, std::string(__FILE__).rfind("tests")) +
                            "samples/nilesat-7.0W.ts";
constexpr int kSampleEntries = 39;

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

int ListCount(HWND form1) {
  return static_cast<int>(SendMessageA(FindControl(form1, SearchWindow::kListView1), LVM_GETITEMCOUNT, 0, 0));
}

// A host feeding the sample, with the search window shown and a search started.
struct SearchingHost {
  explicit SearchingHost(std::chrono::milliseconds pace = 1ms) : host(Options(pace)) {
    host.open(PluginDllPath());
    host.selectMenuItem(40065);
    form1 = FindPluginWindow("TForm1");
    ClickButton(form1, SearchWindow::kButton2);
  }
  static mdhost::HostOptions Options(std::chrono::milliseconds pace) {
    mdhost::HostOptions options;
    options.tsPath = kSample;
    options.pace = pace;
    return options;
  }
  MdHost host;
  HWND form1 = nullptr;
};

TEST(HostileHost, NullPointersFromTheHostAreIgnored) {
  auto plugin = mdhost::PluginLibrary::load(PluginDllPath());
  const auto& api = plugin->exports();
  api.sendDllIdName(nullptr);
  api.start(nullptr, nullptr, FALSE, 3, nullptr, nullptr, nullptr);
  api.menuSelect(40065);  // no host window yet: the window still shows
  HWND form1 = FindPluginWindow("TForm1");
  ASSERT_TRUE(form1);
  EXPECT_TRUE(IsWindowVisible(form1));
  ClickButton(form1, SearchWindow::kButton2);  // messages to a null host go nowhere
  ClickButton(form1, SearchWindow::kButton3);
  api.filterClose();
  api.exit();
  api.exit();
  plugin->unload();
  EXPECT_FALSE(FindPluginWindow("TForm1"));
}

TEST(HostileHost, DeliveriesAfterTheStopAddNothingAndOddOnesAreHarmless) {
  MdHost host;
  host.open(PluginDllPath());
  HWND form1 = FindPluginWindow("TForm1");
  ClickButton(form1, SearchWindow::kButton2);
  mdapi::FilterCallback callback = nullptr;
  for (const auto& e : host.events())
    if (e.kind == HostEventKind::StartFilter) callback = e.record->Callback;
  ASSERT_TRUE(callback);
  ClickButton(form1, SearchWindow::kButton3);

  std::ifstream in(kSample, std::ios::binary);
  ASSERT_TRUE(in) << kSample;
  mdhost::TsPayloadReader reader(in, 0x0010);
  for (mdhost::TsPayload payload; reader.next(payload);) callback(0, 184, payload.data());
  BYTE small[8] = {0, 0x40, 0x30, 0x10, 0, 0, 1, 0};
  callback(0, 8, small);
  callback(0, 0, small);
  callback(0, -5, small);
  callback(0, 184, nullptr);
  callback(0, 0, nullptr);
  PumpPending();
  EXPECT_EQ(0, ListCount(form1));
  host.close();
}

TEST(HostileHost, UnloadDuringASearchLeavesNoWindowOrThreadBehind) {
  const int threadsBefore = ThreadsOfThisProcess();
  {
    SearchingHost searching(0ms);
    ASSERT_TRUE(searching.host.waitForCallbacks(50, 5s));
    searching.host.close();  // the host stops its filters, then frees the module
  }
  for (const char* cls : {"TForm1", "TTpUpdateMainForm", "TForm01"}) EXPECT_FALSE(FindPluginWindow(cls)) << cls;
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5s))
      << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
}

// On_Exit hides the search window only, and leaves the filter to the host.
TEST(HostileHost, OnExitDuringASearchAndLoadingAgain) {
  for (int round = 0; round < 2; ++round) {
    SearchingHost searching;
    searching.host.selectMenuItem(40066);
    const auto stops = searching.host.log().count(HostEventKind::StopFilter);
    searching.host.plugin()->exports().exit();
    EXPECT_FALSE(IsWindowVisible(searching.form1));
    EXPECT_TRUE(IsWindowVisible(FindPluginWindow("TTpUpdateMainForm")));
    EXPECT_EQ(stops, searching.host.log().count(HostEventKind::StopFilter));
    // The search goes on while hidden and completes by itself.
    EXPECT_TRUE(PumpUntil(
        [&] { return ControlText(searching.form1, SearchWindow::kLabel2) == "Search finished"; }, 10s));
    EXPECT_EQ(kSampleEntries, ListCount(searching.form1));
  }
}

}  // namespace
