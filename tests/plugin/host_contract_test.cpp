// The host contract end to end: the real plug-in DLL loaded by the host
// simulator, as an MD-API host loads it. Export names, ordinals and the menu
// resource are checked in the file itself (check_plugin_dll.py).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"

namespace {

using mdhost::HostEventKind;
using mdhost::MdHost;
using velq::SearchWindow;
using namespace velq::wine_test;

const char* const kWindowClasses[] = {"TForm1", "TTpUpdateMainForm", "TForm01"};

bool Visible(const char* className) {
  HWND w = FindPluginWindow(className);
  return w && IsWindowVisible(w);
}

using HostContract = PluginHostTest;

TEST_F(HostContract, IdentifiesWithFourteenBytesAndStartsWithZero) {
  auto buffer = host.nameBuffer();
  EXPECT_EQ(0, std::memcmp(buffer.data(), "VelqTpUpdater", 14));  // with its zero
  for (std::size_t i = 14; i < buffer.size(); ++i)
    ASSERT_EQ(MdHost::kNameBufferMarker, buffer[i]) << "byte " << i << " was written";
  EXPECT_FALSE(host.nameOverran());
  EXPECT_EQ(0, host.startResult());
}

// The sizes of the web update and About windows are checked by their own tests.
TEST_F(HostContract, WindowsExistHiddenFromLoad) {
  const char* const captions[] = {"Velq Transponders Updater (Network Search)",
                                  "Velq Transponders Updater  (Web Update)", "About"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kWindowClasses[i]);
    HWND w = FindPluginWindow(kWindowClasses[i]);
    ASSERT_TRUE(w);
    EXPECT_FALSE(IsWindowVisible(w));
    char caption[128] = {};
    GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(captions[i], caption);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  }
  RECT client = ClientRectOf(FindPluginWindow("TForm1"));
  EXPECT_EQ(496, client.right);
  EXPECT_EQ(408, client.bottom);
}

TEST_F(HostContract, MenuCommandsShowTheirWindowsByTheLowSixteenBits) {
  for (UINT id : {40067u, 0u, 40064u, 40069u, 0x10000u | 40063u}) host.menuSelect(id);
  for (const char* cls : kWindowClasses) EXPECT_FALSE(Visible(cls)) << cls;

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

// The exports a host calls that the plug-in accepts and ignores: no window,
// no message to the host, no crash, and the plug-in still answers after.
TEST_F(HostContract, IgnoredExportsDoNothing) {
  mdapi::TChannel channel;  // 1128 bytes by value; no field of it is read
  std::memset(channel.Bytes, 0xA5, sizeof channel.Bytes);
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"On_Channel_Change", [&] { host.changeChannel(channel); }},
      {"On_Hot_Key", [&] { host.hotKey(); }},
      {"On_Osd_Key", [&] { host.osdKey(); }},
      {"On_Rec_Play", [&] { host.recPlay(); }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    const auto before = host.log().size();
    call();
    PumpPending();
    const auto events = host.events();
    ASSERT_EQ(before + 1, events.size()) << "only the call itself is logged";
    EXPECT_EQ(HostEventKind::PluginCall, events.back().kind);
    for (const char* cls : kWindowClasses) EXPECT_FALSE(Visible(cls)) << cls;
  }
  host.selectMenuItem(40065);
  EXPECT_TRUE(Visible("TForm1"));
}

TEST_F(HostContract, FilterCloseSetsTheStatusLine) {
  host.filterClose();
  EXPECT_EQ("Done please (click remove dublicated)",
            ControlText(FindPluginWindow("TForm1"), SearchWindow::kLabel2));
}

TEST_F(HostContract, StartSearchStopsThenStartsTheNitFilterWithTheLatestId) {
  host.options().dllId = 9;
  host.start();  // a second On_Start replaces window and id
  HWND form1 = FindPluginWindow("TForm1");
  host.selectMenuItem(40065);
  ClickButton(form1, SearchWindow::kButton2);  // Start Search

  std::vector<mdhost::HostEvent> filterEvents;
  for (const auto& e : host.events())
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
  EXPECT_EQ(9, start.record->DllId);
  EXPECT_EQ(1, start.record->FilterId);
  EXPECT_EQ(0x0010, start.record->Pid);
  const char name[32] = {'N', 'I', 'T'};
  EXPECT_EQ(0, std::memcmp(name, start.record->Name, 32));
  EXPECT_EQ(0, start.record->Padding);
  EXPECT_TRUE(start.record->Callback);
  EXPECT_EQ(0u, start.record->RunningId);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form1, SearchWindow::kButton2)));
  EXPECT_EQ("Searching... please wait", ControlText(form1, SearchWindow::kLabel2));

  // Stop Search sends the id the host wrote into the record.
  ClickButton(form1, SearchWindow::kButton3);
  mdhost::HostEvent stop;
  for (const auto& e : host.events())
    if (e.kind == HostEventKind::StopFilter) stop = e;
  EXPECT_EQ(start.runningId, stop.runningId);
  EXPECT_EQ(static_cast<LPARAM>(start.lParam + offsetof(mdapi::TStartFilterRec, RunningId)), stop.lParam);
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
