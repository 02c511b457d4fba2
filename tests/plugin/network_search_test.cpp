// The real DLL's network search window, fed a NIT by the host simulator: its
// list, buttons, keys and in-place edit, and the list file it saves.

#include <windows.h>
#include <commctrl.h>

#include <fstream>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/nit_builder/nit_builder.h"

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using W = velq::SearchWindow;
using Texts = std::vector<std::string>;
using P = velq::Polarisation;

class NetworkSearch : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    // Two sections; 11727 V comes twice.
    velq::NitTable table;
    table.TranspondersPerSection = 3;
    for (auto [mhz, pol] : {std::pair{11727u, P::Vertical}, {12188u, P::Horizontal}, {11729u, P::Vertical},
                            {10744u, P::Horizontal}, {11727u, P::Vertical}})
      table.Transponders.push_back({.FrequencyKhz = mhz * 1000 + 250, .PositionTenths = 192, .polarisation = pol,
                                    .SymbolRate = 27500000});
    std::string bytes;
    for (const auto& p : velq::SectionsToPackets(velq::BuildNitSections(table))) bytes.append(p.begin(), p.end());
    std::ofstream(tsPath_, std::ios::binary) << bytes;
    host.options().tsPath = tsPath_;
    form1_ = ShowPluginWindow(40065, W::kClassName);
    ASSERT_TRUE(form1_);
    list_ = FindControl(form1_, W::kListView1);
  }
  void TearDown() override {
    PluginHostTest::TearDown();
    for (const std::string& path : {tsPath_, listPath_}) DeleteFileA(path.c_str());
    RemoveDirectoryA((listPath_ + ".velq-tmp").c_str());
  }

  void Click(int id) { ClickButton(form1_, id); }
  std::string Text(int id) { return ControlText(form1_, id); }
  // The list's texts; an unchecked entry's with a "-" before it.
  Texts Entries() {
    Texts out;
    for (int i = 0; i < ListView_GetItemCount(list_); ++i) {
      char buf[128] = {};
      ListView_GetItemText(list_, i, 0, buf, sizeof buf);
      out.push_back((ListView_GetCheckState(list_, i) ? "" : "-") + std::string(buf));
    }
    return out;
  }
  Texts Labels() { return {Text(W::kLabel1), Text(W::kLabel2), Text(W::kLabel3)}; }
  // The window's own timer completes a search with "Remove duplicated".
  bool Finished() { return PumpUntil([&] { return Text(W::kLabel2) == "Search finished"; }, 30s); }
  bool Button2Enabled() { return IsWindowEnabled(FindControl(form1_, W::kButton2)); }
  HWND Spin() { return FindControl(form1_, W::kSpinEdit1Arrows); }
  int SpinValue() { return static_cast<int>(SendMessageA(Spin(), UDM_GETPOS32, 0, 0)); }

  std::string tsPath_ = TestProgramFolder() + "search_test.ts", listPath_ = TestProgramFolder() + "0192.ini";
  HWND form1_ = nullptr, list_ = nullptr;
};

const Texts kFound = {"10744,H,27500,34,DVB-S,QPSK", "11727,V,27500,34,DVB-S,QPSK", "11729,V,27500,34,DVB-S,QPSK",
                      "12188,H,27500,34,DVB-S,QPSK"};

TEST_F(NetworkSearch, SearchEditThinSaveAndClear) {
  Click(W::kButton2);
  EXPECT_FALSE(Button2Enabled());
  Click(W::kButton7);  // Clear all during the search: what is decoded after still comes
  EXPECT_TRUE(Entries().empty());
  ASSERT_TRUE(Finished());
  EXPECT_EQ(kFound, Entries());
  EXPECT_EQ((Texts{"Found 4 TP(s) in total", "Search finished", "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E) 19.2 \xB0" "E"}),
            Labels());
  EXPECT_TRUE(Button2Enabled());
  EXPECT_EQ(0u, host.runningFilters());  // the completed search closed its filter

  Click(W::kButton11);
  EXPECT_EQ((Texts{"-" + kFound[0], "-" + kFound[1], "-" + kFound[2], "-" + kFound[3]}), Entries());
  Click(W::kButton10);
  EXPECT_EQ(kFound, Entries());

  // An entry edited in place takes the new text and its place in the order.
  const std::string edited = "12500,H,27500,34,DVB-S,QPSK";
  const auto edit = reinterpret_cast<HWND>(SendMessageA(list_, LVM_EDITLABELA, 0, 0));
  ASSERT_TRUE(edit);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(edited.c_str()));
  PressKey(VK_RETURN);
  EXPECT_EQ((Texts{kFound[1], kFound[2], kFound[3], edited}), Entries());
  // A second search keeps the list and adds the table to it, every entry checked again.
  ListView_SetCheckState(list_, 0, FALSE);
  Click(W::kButton2);
  ASSERT_TRUE(Finished());
  EXPECT_EQ((Texts{kFound[0], kFound[1], kFound[2], kFound[3], edited}), Entries());

  // 11727 and 11729 V are 2 MHz apart: a limit of 1 keeps both, 2 drops the later.
  for (auto [limit, left] : {std::pair{1, 5u}, {2, 4u}}) {
    SendMessageA(Spin(), UDM_SETPOS32, 0, limit);
    Click(W::kButton1);
    EXPECT_EQ(left, Entries().size()) << limit;
  }
  EXPECT_EQ("Found 4 TP(s) in total", Text(W::kLabel1));
  ListView_SetCheckState(list_, 0, FALSE);  // the user unticks 10744
  Click(W::kButton8);
  EXPECT_EQ((Texts{kFound[1], kFound[3], edited}), Entries());
  char today[16];  // the header carries the local date
  GetDateFormatA(LOCALE_INVARIANT, 0, nullptr, "yyyy-MM-dd", today, sizeof today);
  const std::string saved = ReadAll(listPath_);
  EXPECT_EQ(";    [Created by Velq Transponders Updater " + std::string(today) + " ", saved.substr(0, 54));
  EXPECT_EQ("\r\n[SATTYPE]\r\n1=0192\r\n2=Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)\r\n[DVB]\r\n0=3\r\n1=" + kFound[1] +
                "\r\n2=" + kFound[3] + "\r\n3=" + edited + "\r\n",
            saved.substr(std::min(saved.find("\r\n"), saved.size())));

  const auto failsWith = [&](const std::string& error) {
    DialogCatcher boxes;
    Click(W::kButton8);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(error, boxes.boxes()[0].text);
    EXPECT_EQ(CapturedBox::Icon::Error, boxes.boxes()[0].icon);
    EXPECT_EQ(3u, Entries().size());  // an unticked entry goes only when the file is saved
  };
  ListView_SetCheckState(list_, 0, FALSE);
  const std::string temp = listPath_ + ".velq-tmp";  // something else holds the temporary name
  ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
  failsWith("File access denied.");
  RemoveDirectoryA(temp.c_str());
  // The old file is locked against replacement.
  HANDLE lock = CreateFileA(listPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  failsWith("Unable to write to " + listPath_ + ".");
  CloseHandle(lock);
  EXPECT_EQ(saved, ReadAll(listPath_));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temp.c_str()));

  Click(W::kButton7);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ((Texts{"", "", ""}), Labels());

  // Stop Search while the host delivers nothing: the next tick completes the search.
  host.options().tsPath.clear();
  Click(W::kButton2);
  EXPECT_EQ("Searching... please wait", Text(W::kLabel2));
  Click(W::kButton3);
  EXPECT_TRUE(Button2Enabled());
  ASSERT_TRUE(Finished());
  EXPECT_EQ("Found 0 TP(s) in total", Text(W::kLabel1));
}

// Enter presses a focused button and nothing else; Escape ends an edit in
// place, else closes the window as the close box does: a search goes on.
TEST_F(NetworkSearch, EnterAndEscape) {
  Click(W::kButton2);
  ASSERT_TRUE(Finished());
  SetForegroundWindow(form1_);
  for (int focus : {W::kListView1, W::kSpinEdit1, W::kButton11}) {  // Button11 unticks all
    SetFocus(FindControl(form1_, focus));
    PressKey(VK_RETURN);
    EXPECT_EQ(focus != W::kButton11, ListView_GetCheckState(list_, 0) != 0) << focus;
  }
  SetFocus(list_);
  ASSERT_TRUE(ListView_EditLabel(list_, 0));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(IsWindowVisible(form1_) && !ListView_GetEditControl(list_));

  Click(W::kButton7);
  Click(W::kButton2);
  SetFocus(list_);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(form1_));
  EXPECT_EQ("Searching... please wait", Text(W::kLabel2));
  ASSERT_TRUE(Finished());
  EXPECT_EQ(kFound, Entries());
}

TEST_F(NetworkSearch, TabOrderAndSpinEdit1) {
  const std::vector<int> order = {W::kButton2,  W::kButton3,  W::kListView1, W::kButton7, W::kButton8,
                                  W::kButton9,  W::kButton10, W::kButton11,  W::kButton1, W::kSpinEdit1};
  SetForegroundWindow(form1_);
  SetFocus(form1_);
  EXPECT_EQ(order, TabStops(form1_, 10));
  EXPECT_EQ(std::vector<int>{W::kButton2}, TabStops(form1_, 1));  // and round again
  EXPECT_EQ(std::vector<int>(order.rbegin(), order.rend()), TabStops(form1_, 10, true));

  // SpinEdit1 starts at 5, and its text cannot be typed.
  HWND box = FindControl(form1_, W::kSpinEdit1);
  EXPECT_EQ(5, SpinValue());
  EXPECT_EQ("5", Text(W::kSpinEdit1));
  SetFocus(box);
  PostMessageA(box, WM_CHAR, '9', 1);
  PumpPending();
  EXPECT_EQ("5", Text(W::kSpinEdit1));

  // One step a press of Up or Down on the box or a click on an arrow, none past 1 or 20.
  const RECT arrows = ClientRectOf(Spin());
  const auto step = [&](bool key, bool up) {
    SetFocus(box);
    if (key) return PressKey(up ? VK_UP : VK_DOWN);
    const LPARAM at = MAKELPARAM(arrows.right / 2, up ? arrows.bottom / 4 : arrows.bottom * 3 / 4);
    PostMessageA(Spin(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(Spin(), WM_LBUTTONUP, 0, at);
    PumpPending();
  };
  for (bool key : {true, false}) {
    for (auto [from, up, to] : {std::tuple{19, true, 20}, {20, true, 20}, {20, false, 19}, {2, false, 1},
                                {1, false, 1}, {1, true, 2}}) {
      SendMessageA(Spin(), UDM_SETPOS32, 0, from);
      step(key, up);
      EXPECT_EQ(to, SpinValue()) << from << (up ? " up" : " down") << (key ? " by key" : " by click");
      EXPECT_EQ(std::to_string(to), Text(W::kSpinEdit1));
    }
  }
  // A held arrow keeps to steps of one.
  UDACCEL accel[4] = {};
  ASSERT_EQ(1, SendMessageA(Spin(), UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel)));
  EXPECT_EQ(1u, accel[0].nInc);
  // A box that cannot be typed in still shows its value on the window colour.
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HDC dc = GetDC(box);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(dc, 2, 2));
  ReleaseDC(box, dc);
}

}  // namespace
