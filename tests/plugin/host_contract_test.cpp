// The host contract of the real plug-in DLL, loaded by the host simulator as a
// host loads it. What the file declares is checked by check_plugin_dll.py.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"

namespace {

using mdhost::HostEventKind;
using velq::SearchWindow;
using namespace velq::wine_test;

const char* const kWindowClasses[] = {"TForm1", "TTpUpdateMainForm", "TForm01"};

int VisibleWindows() {  // bit i set: kWindowClasses[i] is visible
  int bits = 0;
  for (int i = 0; i < 3; ++i) bits |= IsWindowVisible(FindPluginWindow(kWindowClasses[i])) << i;
  return bits;
}

using HostContract = PluginHostTest;

TEST_F(HostContract, IdentifiesWithFourteenBytesAndItsWindowsExistHidden) {
  const auto buffer = host.nameBuffer();  // the name, its zero, and nothing written beyond
  EXPECT_EQ(std::string("VelqTpUpdater") + '\0' + std::string(50, char(mdhost::MdHost::kNameBufferMarker)),
            std::string(buffer.begin(), buffer.end()));
  EXPECT_EQ(0, host.startResult());

  const char* const captions[] = {"Velq Transponders Updater (Network Search)",
                                  "Velq Transponders Updater  (Web Update)", "About"};
  for (int i = 0; i < 3; ++i) {
    HWND w = FindPluginWindow(kWindowClasses[i]);
    ASSERT_TRUE(w) << kWindowClasses[i];
    char caption[64] = {};
    GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(captions[i], caption);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << captions[i];
  }
  EXPECT_EQ(0, VisibleWindows());
  // The other two windows' sizes are checked by their own tests.
  RECT client = ClientRectOf(FindPluginWindow("TForm1"));
  EXPECT_EQ(496, client.right);
  EXPECT_EQ(408, client.bottom);
}

TEST_F(HostContract, MenuCommandsShowTheirWindowsByTheLowSixteenBitsAtTheirPlaces) {
  SetWindowPos(host.window(), nullptr, 240, 180, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
  for (UINT id : {40067u, 0u, 40064u, 40069u, 0x10000u | 40063u}) host.menuSelect(id);
  EXPECT_EQ(0, VisibleWindows());
  const struct {
    UINT command;
    int visible;
    bool centred;  // `at` is the frame's centre, else its top-left
    POINT at;
  } cases[] = {{0xABCD0000u | 40065, 1, true, {560, 420}}, {40066, 3, false, {454, 128}}, {40068, 7, false, {0, 0}}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kWindowClasses[i]);
    host.menuSelect(cases[i].command);
    EXPECT_EQ(cases[i].visible, VisibleWindows());
    RECT r{};
    GetWindowRect(FindPluginWindow(kWindowClasses[i]), &r);
    POINT at = cases[i].centred ? POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2} : POINT{r.left, r.top};
    EXPECT_NEAR(cases[i].at.x, at.x, 1);
    EXPECT_NEAR(cases[i].at.y, at.y, 1);
  }
  // Closing only hides; the search window opens again where the user left it.
  HWND form1 = FindPluginWindow("TForm1");
  SetWindowPos(form1, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(form1, WM_CLOSE, 0, 0);
  EXPECT_EQ(6, VisibleWindows());
  host.selectMenuItem(40065);  // through the merged menu
  EXPECT_EQ(7, VisibleWindows());
  RECT again{};
  GetWindowRect(form1, &again);
  EXPECT_EQ(30, again.left);
  EXPECT_EQ(40, again.top);
  // Escape does what the close box does, from the window's first control
  // (the About window has none) or the window itself.
  for (int i = 0; i < 3; ++i) {
    HWND w = FindPluginWindow(kWindowClasses[i]);
    SetForegroundWindow(w);
    SetFocus(w);
    PressKey(VK_TAB);
    PressKey(VK_ESCAPE);
    EXPECT_EQ((std::vector{6, 4, 0}[i]), VisibleWindows()) << kWindowClasses[i];
  }
}

// Accepted and ignored: no window, no message to the host, no status text,
// and the plug-in still answers after.
TEST_F(HostContract, IgnoredExportsDoNothing) {
  const mdapi::TChannel channel{};  // 1128 bytes by value; no field of it is read
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"On_Channel_Change", [&] { host.changeChannel(channel); }},
      {"On_Hot_Key", [&] { host.hotKey(); }},
      {"On_Osd_Key", [&] { host.osdKey(); }},
      {"On_Rec_Play", [&] { host.recPlay(); }},
  };
  HWND form1 = FindPluginWindow("TForm1");
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    const auto before = host.log().size();
    call();
    PumpPending();
    EXPECT_EQ(before + 1, host.log().size()) << "only the call itself is logged";
    EXPECT_EQ(0, VisibleWindows());
    EXPECT_EQ("", ControlText(form1, SearchWindow::kLabel2));
  }
  host.selectMenuItem(40065);
  EXPECT_EQ(1, VisibleWindows());
}

TEST_F(HostContract, StartSearchStopsThenStartsTheNitFilterWithTheLatestId) {
  host.options().dllId = 9;
  host.start();  // a second On_Start replaces window and id
  HWND form1 = FindPluginWindow("TForm1");
  ClickButton(form1, SearchWindow::kButton2);  // Start Search
  ClickButton(form1, SearchWindow::kButton3);  // Stop Search
  std::vector<mdhost::HostEvent> sent;  // all but the host's own calls
  for (const auto& e : host.events())
    if (e.kind != HostEventKind::PluginCall) sent.push_back(e);
  ASSERT_EQ(3u, sent.size());
  const auto& start = sent[1];
  ASSERT_TRUE(start.record);
  EXPECT_EQ(std::make_pair(HostEventKind::StartFilter, WPARAM(0x01020020)), std::make_pair(start.kind, start.wParam));
  const auto& r = *start.record;
  EXPECT_EQ(std::make_tuple(9, 1, 0x0010, 0, 0u), std::make_tuple(r.DllId, r.FilterId, r.Pid, r.Padding, r.RunningId));
  const char name[32] = {'N', 'I', 'T'};
  EXPECT_EQ(0, std::memcmp(name, r.Name, 32));
  EXPECT_TRUE(r.Callback);
  // Each stop points at the record's RunningId: 0 before any start, then the
  // id the host wrote there.
  const LPARAM runningIdAt = start.lParam + LPARAM(offsetof(mdapi::TStartFilterRec, RunningId));
  EXPECT_EQ(std::make_tuple(HostEventKind::StopFilter, WPARAM(0x01020021), runningIdAt, UINT_PTR(0)),
            std::make_tuple(sent[0].kind, sent[0].wParam, sent[0].lParam, sent[0].runningId));
  EXPECT_EQ(std::make_tuple(HostEventKind::StopFilter, WPARAM(0x01020021), runningIdAt, start.runningId),
            std::make_tuple(sent[2].kind, sent[2].wParam, sent[2].lParam, sent[2].runningId));
  // The host's On_Filter_Close after the stop.
  EXPECT_EQ("Done please (click remove dublicated)", ControlText(form1, SearchWindow::kLabel2));
}

}  // namespace
