// The host contract end to end: the real plug-in DLL loaded by the host
// simulator, as an MD-API host loads it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"

namespace {

using mdhost::HostEventKind;
using mdhost::MdHost;
using velq::SearchWindow;
using namespace velq::wine_test;

bool Visible(const char* className) {
  HWND w = FindPluginWindow(className);
  return w && IsWindowVisible(w);
}

class HostContract : public PluginHostTest {
 protected:
  std::size_t Count(HostEventKind kind) const { return host.log().count(kind); }
};

TEST_F(HostContract, IdentifiesWithFourteenBytesAndStartsWithZero) {
  auto buffer = host.nameBuffer();
  EXPECT_EQ(0, std::memcmp(buffer.data(), "VelqTpUpdater", 14));  // with its zero
  for (std::size_t i = 14; i < buffer.size(); ++i)
    ASSERT_EQ(MdHost::kNameBufferMarker, buffer[i]) << "byte " << i << " was written";
  EXPECT_FALSE(host.nameOverran());
  EXPECT_EQ(0, host.startResult());
}

TEST_F(HostContract, MenuHasItsThreeCommandsWithTheLastOneFlagged) {
  const auto& items = host.menuItems();
  ASSERT_EQ(3u, items.size());
  EXPECT_EQ(L"Network Search", items[0].text);
  EXPECT_EQ(40065, items[0].id);
  EXPECT_EQ(L"Web Update", items[1].text);
  EXPECT_EQ(40066, items[1].id);
  EXPECT_EQ(L"About", items[2].text);
  EXPECT_EQ(40068, items[2].id);
  EXPECT_EQ(0, items[0].flags);
  EXPECT_EQ(0, items[1].flags);
  EXPECT_EQ(MF_END, items[2].flags);
}

TEST_F(HostContract, WindowsExistHiddenFromTheFirstCall) {
  struct Expected {
    const char* cls;
    const char* caption;
    int width, height;
  };
  for (const Expected& e : {Expected{"TForm1", "Velq Transponders Updater (Network Search)", 496, 408},
                            Expected{"TTpUpdateMainForm", "Velq Transponders Updater  (Web Update)", 703, 568},
                            Expected{"TForm01", "About", 501, 260}}) {
    SCOPED_TRACE(e.cls);
    HWND w = FindPluginWindow(e.cls);
    ASSERT_TRUE(w);
    EXPECT_FALSE(IsWindowVisible(w));
    char caption[128] = {};
    GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(e.caption, caption);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(e.width, client.right);
    EXPECT_EQ(e.height, client.bottom);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  }
}

TEST_F(HostContract, MenuCommandsShowTheirWindowsByTheLowSixteenBits) {
  host.selectMenuItem(40065);
  EXPECT_TRUE(Visible("TForm1"));
  EXPECT_FALSE(Visible("TTpUpdateMainForm"));
  host.selectMenuItem(40066);
  EXPECT_TRUE(Visible("TTpUpdateMainForm"));
  host.selectMenuItem(40068);
  EXPECT_TRUE(Visible("TForm01"));

  SendMessageA(FindPluginWindow("TForm1"), WM_CLOSE, 0, 0);  // closing only hides
  ASSERT_TRUE(FindPluginWindow("TForm1"));
  EXPECT_FALSE(Visible("TForm1"));
  host.menuSelect(0xABCD0000u | 40065u);
  EXPECT_TRUE(Visible("TForm1"));
}

TEST_F(HostContract, SearchWindowOpensOverTheHostTheOthersAtTheirPlaces) {
  SetWindowPos(host.window(), nullptr, 240, 180, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT hostRect{};
  GetWindowRect(host.window(), &hostRect);
  struct Case {
    UINT command;
    const char* cls;
    bool overHost;
    POINT at;  // top-left of the frame, when not over the host
  };
  for (Case c : {Case{40065, "TForm1", true, {}}, Case{40066, "TTpUpdateMainForm", false, {454, 128}},
                 Case{40068, "TForm01", false, {0, 0}}}) {
    SCOPED_TRACE(c.cls);
    host.selectMenuItem(c.command);
    RECT r{};
    GetWindowRect(FindPluginWindow(c.cls), &r);
    if (c.overHost) {
      EXPECT_NEAR((hostRect.left + hostRect.right) / 2, (r.left + r.right) / 2, 1);
      EXPECT_NEAR((hostRect.top + hostRect.bottom) / 2, (r.top + r.bottom) / 2, 1);
    } else {
      EXPECT_EQ(c.at.x, r.left);
      EXPECT_EQ(c.at.y, r.top);
    }
  }
  // Where the user moved it, it opens again.
  HWND form1 = FindPluginWindow("TForm1");
  SetWindowPos(form1, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(form1, WM_CLOSE, 0, 0);
  host.selectMenuItem(40065);
  RECT again{};
  GetWindowRect(form1, &again);
  EXPECT_EQ(30, again.left);
  EXPECT_EQ(40, again.top);
}

TEST_F(HostContract, OtherMenuCommandsDoNothing) {
  for (UINT id : {40067u, 0u, 40064u, 40069u, 40065u + 0x10000u - 2u /* low 16 bits: 40063 */})
    host.menuSelect(id);
  EXPECT_FALSE(Visible("TForm1"));
  EXPECT_FALSE(Visible("TTpUpdateMainForm"));
  EXPECT_FALSE(Visible("TForm01"));
}

TEST_F(HostContract, ExportsAreAllFoundByName) {
  ASSERT_TRUE(host.plugin());
  EXPECT_TRUE(host.plugin()->missingExports().empty());
}

TEST_F(HostContract, OnExitHidesOnlyTheSearchWindowAndSendsNoStop) {
  host.selectMenuItem(40065);
  host.selectMenuItem(40066);
  ClickButton(FindPluginWindow("TForm1"), SearchWindow::kButton2);  // a search runs
  const auto stops = Count(HostEventKind::StopFilter);
  host.plugin()->exports().exit();
  EXPECT_FALSE(Visible("TForm1"));
  EXPECT_TRUE(Visible("TTpUpdateMainForm"));
  EXPECT_EQ(stops, Count(HostEventKind::StopFilter));
}

TEST_F(HostContract, FilterCloseSetsTheStatusLine) {
  host.filterClose();
  EXPECT_EQ("Done please (click remove dublicated)",
            ControlText(FindPluginWindow("TForm1"), SearchWindow::kLabel2));
}

TEST_F(HostContract, StartSearchStopsThenStartsTheNitFilter) {
  HWND form1 = FindPluginWindow("TForm1");
  host.selectMenuItem(40065);
  ClickButton(form1, SearchWindow::kButton2);  // Start Search

  auto events = host.events();
  std::vector<mdhost::HostEvent> filterEvents;
  for (const auto& e : events)
    if (e.kind == HostEventKind::StartFilter || e.kind == HostEventKind::StopFilter)
      filterEvents.push_back(e);
  ASSERT_EQ(2u, filterEvents.size());
  EXPECT_EQ(HostEventKind::StopFilter, filterEvents[0].kind);
  EXPECT_EQ(0u, filterEvents[0].runningId);  // nothing started yet
  EXPECT_EQ(0x01020021u, filterEvents[0].wParam);
  const auto& start = filterEvents[1];
  ASSERT_EQ(HostEventKind::StartFilter, start.kind);
  EXPECT_EQ(0x01020020u, start.wParam);
  ASSERT_TRUE(start.record);
  EXPECT_EQ(7, start.record->DllId);
  EXPECT_EQ(1, start.record->FilterId);
  EXPECT_EQ(0x0010, start.record->Pid);
  char name[32] = {'N', 'I', 'T'};
  EXPECT_EQ(0, std::memcmp(name, start.record->Name, 32));
  EXPECT_EQ(0, start.record->Padding);
  EXPECT_TRUE(start.record->Callback);
  EXPECT_EQ(0u, start.record->RunningId);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form1, SearchWindow::kButton2)));
  EXPECT_EQ("Searching... please wait", ControlText(form1, SearchWindow::kLabel2));

  // Stop Search sends the id the host wrote into the record.
  ClickButton(form1, SearchWindow::kButton3);
  events = host.events();
  auto stop = std::find_if(events.rbegin(), events.rend(),
                           [](const auto& e) { return e.kind == HostEventKind::StopFilter; });
  ASSERT_NE(events.rend(), stop);
  EXPECT_EQ(start.runningId, stop->runningId);
  EXPECT_EQ(static_cast<LPARAM>(start.lParam + offsetof(mdapi::TStartFilterRec, RunningId)),
            stop->lParam);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form1, SearchWindow::kButton2)));
}

TEST(HostUnload, DestroysTheWindowsAndLeavesTheHostsKeysAlone) {
  // A window of the host's own that takes Tab as text.
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | ES_MULTILINE | ES_WANTRETURN, 0, 0,
                              200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(edit);
  auto tabTyped = [&] {
    SetWindowTextA(edit, "");
    SetForegroundWindow(edit);
    SetFocus(edit);
    PressKey(VK_TAB);
    char text[8] = {};
    GetWindowTextA(edit, text, sizeof text);
    return std::string(text) == "\t";
  };
  {
    MdHost host;
    host.open(PluginDllPath());
    host.selectMenuItem(40065);
    ASSERT_TRUE(FindPluginWindow("TForm1"));
    EXPECT_TRUE(tabTyped()) << "the plug-in took a key of the host's";
    host.close();
  }
  EXPECT_FALSE(FindPluginWindow("TForm1"));
  EXPECT_FALSE(FindPluginWindow("TTpUpdateMainForm"));
  EXPECT_FALSE(FindPluginWindow("TForm01"));
  // A hook left behind would run code of the unloaded module here.
  EXPECT_TRUE(tabTyped());
  DestroyWindow(edit);
}

}  // namespace
