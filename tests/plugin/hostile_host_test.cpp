// A host that does things in the wrong order, or hands over nonsense, must not
// bring the plug-in (and with it the host) down.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <fstream>
#include <string>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"
#include "tools/mdhost/ts_payload_reader.h"

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using velq::SearchWindow;

// A recording of 7.0W: 39 transponders, each once after "Remove duplicated".
const std::string kSample = "Z:" VELQ_SOURCE_DIR "/samples/nilesat-7.0W.ts";

int ListCount(HWND form1) {
  return static_cast<int>(SendMessageA(FindControl(form1, SearchWindow::kListView1), LVM_GETITEMCOUNT, 0, 0));
}

// A host feeding the sample, with the search window shown and a search started.
struct SearchingHost {
  explicit SearchingHost(std::chrono::milliseconds pace) : host(mdhost::HostOptions{kSample, pace}) {
    host.open(PluginDllPath());
    host.selectMenuItem(40065);
    form1 = FindPluginWindow("TForm1");
    ClickButton(form1, SearchWindow::kButton2);
  }
  mdhost::MdHost host;
  HWND form1 = nullptr;
};

TEST(HostileHost, NullPointersFromTheHostAreIgnored) {
  auto plugin = mdhost::PluginLibrary::load(PluginDllPath());
  const auto& api = plugin->exports();
  api.sendDllIdName(nullptr);
  api.start(nullptr, nullptr, FALSE, 3, nullptr, nullptr, nullptr);
  api.menuSelect(40065);  // no host window yet: the window still shows
  HWND form1 = FindPluginWindow("TForm1");
  EXPECT_TRUE(IsWindowVisible(form1));
  ClickButton(form1, SearchWindow::kButton2);  // messages to a null host go nowhere
  ClickButton(form1, SearchWindow::kButton3);
  api.filterClose();
  api.exit();
  api.exit();
  plugin->unload();
  EXPECT_FALSE(FindPluginWindow("TForm1"));
}

TEST(HostileHost, DeliveriesAfterTheStopAddNothing) {
  SearchingHost searching(1h);  // one delivery, then none before the stop
  ClickButton(searching.form1, SearchWindow::kButton3);
  mdapi::FilterCallback callback = nullptr;
  for (const auto& e : searching.host.events())
    if (e.record) callback = e.record->Callback;
  ASSERT_TRUE(callback);
  std::ifstream in(kSample, std::ios::binary);
  ASSERT_TRUE(in) << kSample;
  mdhost::TsPayloadReader reader(in, 0x0010);
  for (mdhost::TsPayload payload; reader.next(payload);) callback(0, 184, payload.data());
  PumpPending();
  EXPECT_EQ(0, ListCount(searching.form1));
}

// The windows go with the module; its keyboard hook passes the host's keys on.
// (A hook left behind goes unseen: Wine loads the module again to call it.)
TEST(HostileHost, UnloadDuringASearchDestroysTheWindowsAndLeavesTheHostsKeysAlone) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | ES_MULTILINE | ES_WANTRETURN, 0, 0, 200, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  {
    SearchingHost searching(0ms);
    ASSERT_TRUE(searching.host.waitForCallbacks(50, 30s));
    SetForegroundWindow(edit);  // a window of the host's own that takes Tab as text
    SetFocus(edit);
    PressKey(VK_TAB);
    char text[8] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("\t", text) << "the plug-in took a key of the host's";
  }  // the host stops its filters, then frees the module
  DestroyWindow(edit);
  for (const char* cls : {"TForm1", "TTpUpdateMainForm", "TForm01"}) EXPECT_FALSE(FindPluginWindow(cls)) << cls;
}

// On_Exit hides the search window only and leaves the filter to the host. The
// module was loaded and freed by the tests before: its search starts afresh.
TEST(HostileHost, OnExitDuringASearchOfAModuleLoadedAgain) {
  SearchingHost searching(1ms);
  searching.host.selectMenuItem(40066);
  const auto stops = searching.host.log().count(mdhost::HostEventKind::StopFilter);
  searching.host.plugin()->exports().exit();
  EXPECT_FALSE(IsWindowVisible(searching.form1));
  EXPECT_TRUE(IsWindowVisible(FindPluginWindow("TTpUpdateMainForm")));
  EXPECT_EQ(stops, searching.host.log().count(mdhost::HostEventKind::StopFilter));
  // The search goes on while hidden and completes by itself.
  EXPECT_TRUE(PumpUntil([&] { return ControlText(searching.form1, SearchWindow::kLabel2) == "Search finished"; }, 30s));
  EXPECT_EQ(39, ListCount(searching.form1));
}

}  // namespace
