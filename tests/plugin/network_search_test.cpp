// The network search from end to end: a NIT in a transport stream, fed by the
// host simulator to the real DLL, ends as entries in the search window and
// as a transponder list file beside the host's executable.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/search_window.h"
#include "tests/support/nit_builder.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/md_host.h"

namespace {

using namespace std::chrono_literals;
using mdhost::HostEventKind;
using mdhost::MdHost;
using velq::SearchWindow;
using velq::Transponder;
using namespace velq::wine_test;
using P = velq::Polarisation;

Transponder Tp(std::uint32_t mhz, P pol, std::uint32_t ksym = 27500) {
  Transponder t;
  t.FrequencyKhz = mhz * 1000 + 250;
  t.PositionTenths = 192;
  t.hemisphere = velq::Hemisphere::East;
  t.polarisation = pol;
  t.SymbolRate = ksym * 1000;
  return t;
}

// Two sections, another PID's packets in between, one transponder twice.
std::string WriteNitStream(const std::string& name, const std::vector<Transponder>& tps) {
  velq::NitTable table;
  table.Transponders = tps;
  table.TranspondersPerSection = 3;
  auto packets = velq::SectionsToPackets(velq::BuildNitSections(table));
  std::string bytes;
  for (const auto& packet : packets) {
    bytes.append(reinterpret_cast<const char*>(packet.data()), packet.size());
    std::string other(188, '\xFF');
    other[0] = 0x47, other[1] = 0x01, other[2] = 0x00, other[3] = 0x10;  // PID 0x0100
    bytes += other;
  }
  std::string path = TestProgramFolder() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class NetworkSearch : public testing::Test {
 protected:
  void SetUp() override {
    tsPath_ = WriteNitStream("search_test.ts", {Tp(11727, P::Vertical), Tp(12188, P::Horizontal),
                                                Tp(11729, P::Vertical), Tp(10744, P::Horizontal),
                                                Tp(11727, P::Vertical)});
    mdhost::HostOptions options;
    options.tsPath = tsPath_;
    options.pace = 1ms;
    host_ = std::make_unique<MdHost>(options);
    host_->open(PluginDllPath());
    host_->selectMenuItem(40065);
    form1_ = FindWindowA("TForm1", nullptr);
    ASSERT_TRUE(form1_);
    list_ = GetDlgItem(form1_, SearchWindow::kListView1);
  }
  void TearDown() override {
    host_->close();
    DeleteFileA(tsPath_.c_str());
    DeleteFileA(listPath_.c_str());
  }

  void Click(int id) { ClickButton(form1_, id); }
  std::string Text(int id) { return ControlText(form1_, id); }
  int Count() { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
  std::vector<std::string> Entries() {
    std::vector<std::string> out;
    for (int i = 0; i < Count(); ++i) {
      char buf[128] = {};
      ListView_GetItemText(list_, i, 0, buf, sizeof buf);
      out.push_back(buf);
    }
    return out;
  }
  std::vector<bool> Checks() {
    std::vector<bool> out;
    for (int i = 0; i < Count(); ++i) out.push_back(ListView_GetCheckState(list_, i));
    return out;
  }
  // A whole search: Start Search, then the window's own timer completes it.
  bool SearchCompletes() {
    Click(SearchWindow::kButton2);
    return PumpUntil([&] { return Text(SearchWindow::kLabel2) == "Search finished"; }, 10s);
  }

  std::string tsPath_, listPath_;
  std::unique_ptr<MdHost> host_;
  HWND form1_ = nullptr, list_ = nullptr;
};

TEST_F(NetworkSearch, FindsEveryTransponderSortedWithoutExactDuplicates) {
  ASSERT_TRUE(SearchCompletes());
  EXPECT_EQ((std::vector<std::string>{"10744,H,27500,34,DVB-S,QPSK", "11727,V,27500,34,DVB-S,QPSK",
                                      "11729,V,27500,34,DVB-S,QPSK", "12188,H,27500,34,DVB-S,QPSK"}),
            Entries());
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), Checks());
  EXPECT_EQ("Found 4 TP(s) in total", Text(SearchWindow::kLabel1));
  EXPECT_EQ("Astra 1F/1G/1H/1KR/1L (19,2\xB0"
            "E) 19.2 \xB0"
            "E",
            Text(SearchWindow::kLabel3));
  EXPECT_TRUE(IsWindowEnabled(FindControl(form1_, SearchWindow::kButton2)));
  // The completed search closed its filter: the last filter message is a stop.
  auto events = host_->events();
  auto last = std::find_if(events.rbegin(), events.rend(), [](const auto& e) {
    return e.kind == HostEventKind::StartFilter || e.kind == HostEventKind::StopFilter;
  });
  ASSERT_NE(events.rend(), last);
  EXPECT_EQ(HostEventKind::StopFilter, last->kind);
  EXPECT_EQ(0u, host_->runningFilters());
}

TEST_F(NetworkSearch, MaxFreqDiffThenSaveWritesTheCheckedEntries) {
  ASSERT_TRUE(SearchCompletes());
  // 11727 and 11729 V are 2 MHz apart: with a limit of 1 both stay, with 2 the later goes.
  SendMessageA(FindControl(form1_, SearchWindow::kSpinEdit1Arrows), UDM_SETPOS32, 0, 1);
  Click(SearchWindow::kButton1);
  EXPECT_EQ(4, Count());
  SendMessageA(FindControl(form1_, SearchWindow::kSpinEdit1Arrows), UDM_SETPOS32, 0, 2);
  Click(SearchWindow::kButton1);
  EXPECT_EQ((std::vector<std::string>{"10744,H,27500,34,DVB-S,QPSK", "11727,V,27500,34,DVB-S,QPSK",
                                      "12188,H,27500,34,DVB-S,QPSK"}),
            Entries());
  EXPECT_EQ("Found 3 TP(s) in total", Text(SearchWindow::kLabel1));

  ListView_SetCheckState(list_, 0, FALSE);  // the user unticks one
  Click(SearchWindow::kButton8);
  EXPECT_EQ(2, Count());
  listPath_ = TestProgramFolder() + "0192.ini";
  std::string file = ReadAll(listPath_);
  auto body = file.find("\r\n");
  ASSERT_NE(std::string::npos, body);
  EXPECT_EQ(";    [Created by Velq Transponders Updater ", file.substr(0, 43));
  EXPECT_EQ("\r\n[SATTYPE]\r\n1=0192\r\n2=Astra 1F/1G/1H/1KR/1L (19,2\xB0"
            "E)\r\n[DVB]\r\n0=2\r\n1=11727,V,27500,34,DVB-S,QPSK\r\n2=12188,H,27500,34,DVB-S,QPSK\r\n",
            file.substr(body));
}

TEST_F(NetworkSearch, TabAndShiftTabFollowTheTabOrder) {
  using W = SearchWindow;
  const std::vector<int> order = {W::kButton2,  W::kButton3,  W::kListView1, W::kButton7, W::kButton8,
                                  W::kButton9,  W::kButton10, W::kButton11,  W::kButton1, W::kSpinEdit1};
  std::vector<int> forward = order;
  forward.push_back(W::kButton2);  // and round again
  SetForegroundWindow(form1_);
  SetFocus(form1_);
  EXPECT_EQ(forward, TabStops(form1_, static_cast<int>(forward.size())));
  EXPECT_EQ(std::vector<int>(order.rbegin(), order.rend()),
            TabStops(form1_, static_cast<int>(order.size()), true));
}

TEST_F(NetworkSearch, SpinEdit1StepsByOneWithoutSpeedingUpOnWhite) {
  HWND arrows = FindControl(form1_, SearchWindow::kSpinEdit1Arrows);
  HWND box = FindControl(form1_, SearchWindow::kSpinEdit1);
  UDACCEL accel[4] = {};
  ASSERT_EQ(1, SendMessageA(arrows, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel)));
  EXPECT_EQ(1u, accel[0].nInc);

  // The Up and Down keys on the box: one step a press, stopping at 1 and 20.
  struct Case {
    int from;
    UINT key;
    int presses, to;
  };
  SetForegroundWindow(form1_);
  SetFocus(box);
  for (Case c : {Case{5, VK_UP, 1, 6}, Case{5, VK_DOWN, 2, 3}, Case{19, VK_UP, 3, 20}, Case{2, VK_DOWN, 3, 1}}) {
    SendMessageA(arrows, UDM_SETPOS32, 0, c.from);
    for (int i = 0; i < c.presses; ++i) PressKey(c.key);
    EXPECT_EQ(c.to, SendMessageA(arrows, UDM_GETPOS32, 0, 0)) << c.from << " " << c.presses;
    EXPECT_EQ(std::to_string(c.to), Text(SearchWindow::kSpinEdit1));
  }

  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HDC dc = GetDC(box);
  const COLORREF field = GetPixel(dc, 2, 2);
  ReleaseDC(box, dc);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), field);
}

TEST_F(NetworkSearch, SelectAllNoneAndClearAll) {
  ASSERT_TRUE(SearchCompletes());
  Click(SearchWindow::kButton11);
  EXPECT_EQ(std::vector<bool>(4, false), Checks());
  Click(SearchWindow::kButton10);
  EXPECT_EQ(std::vector<bool>(4, true), Checks());
  Click(SearchWindow::kButton7);
  EXPECT_EQ(0, Count());
  EXPECT_EQ("", Text(SearchWindow::kLabel1));
  EXPECT_EQ("", Text(SearchWindow::kLabel2));
  EXPECT_EQ("", Text(SearchWindow::kLabel3));
}

TEST_F(NetworkSearch, StopSearchCompletesOnTheNextTick) {
  host_->options().tsPath.clear();  // the host delivers nothing: the search waits
  Click(SearchWindow::kButton2);
  EXPECT_EQ("Searching... please wait", Text(SearchWindow::kLabel2));
  EXPECT_FALSE(IsWindowEnabled(FindControl(form1_, SearchWindow::kButton2)));
  Click(SearchWindow::kButton3);
  EXPECT_TRUE(IsWindowEnabled(FindControl(form1_, SearchWindow::kButton2)));
  EXPECT_TRUE(PumpUntil([&] { return Text(SearchWindow::kLabel2) == "Search finished"; }, 5s));
  EXPECT_EQ("Found 0 TP(s) in total", Text(SearchWindow::kLabel1));
}

TEST_F(NetworkSearch, ASecondSearchMergesWithTheFirst) {
  ASSERT_TRUE(SearchCompletes());
  ListView_SetCheckState(list_, 1, FALSE);
  ASSERT_TRUE(SearchCompletes());
  EXPECT_EQ(4, Count());  // the same table again: merged by "Remove duplicated"
  EXPECT_EQ(std::vector<bool>(4, true), Checks());
}

TEST_F(NetworkSearch, ClearAllDuringASearchStillShowsWhatIsDecodedAfter) {
  Click(SearchWindow::kButton2);
  Click(SearchWindow::kButton7);
  EXPECT_EQ(0, Count());
  ASSERT_TRUE(PumpUntil([&] { return Text(SearchWindow::kLabel2) == "Search finished"; }, 10s));
  EXPECT_EQ(4, Count());
}

TEST_F(NetworkSearch, SavingBeforeAnyPositionIsKnownWritesNothing) {
  host_->options().tsPath.clear();
  Click(SearchWindow::kButton2);
  Click(SearchWindow::kButton3);  // stopped before any table came
  ASSERT_TRUE(PumpUntil([&] { return Text(SearchWindow::kLabel2) == "Search finished"; }, 5s));
  DialogCatcher boxes;
  Click(SearchWindow::kButton8);
  ASSERT_EQ(1u, boxes.boxes().size());
  EXPECT_EQ(CapturedBox::Icon::Error, boxes.boxes()[0].icon);
  EXPECT_EQ("No satellite position is known yet: run a network search before saving.",
            boxes.boxes()[0].text);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((TestProgramFolder() + ".ini").c_str()));
}

TEST_F(NetworkSearch, AFailedSaveKeepsTheOldListAndTheEntries) {
  ASSERT_TRUE(SearchCompletes());
  listPath_ = TestProgramFolder() + "0192.ini";
  std::ofstream(listPath_, std::ios::binary) << "old list";
  // Something else holds the temporary name: the new file cannot be made.
  const std::string blocker = listPath_ + ".velq-tmp";
  ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
  ListView_SetCheckState(list_, 0, FALSE);
  {
    DialogCatcher boxes;
    Click(SearchWindow::kButton8);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("File access denied.", boxes.boxes()[0].text);
  }
  EXPECT_EQ(4, Count());  // nothing deleted when the file could not be made
  EXPECT_EQ("old list", ReadAll(listPath_));
  RemoveDirectoryA(blocker.c_str());

  // The old list is locked against replacement: the write fails at the end.
  HANDLE lock = CreateFileA(listPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  {
    DialogCatcher boxes;
    Click(SearchWindow::kButton8);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Unable to write to " + listPath_ + ".", boxes.boxes()[0].text);
  }
  CloseHandle(lock);
  EXPECT_EQ(4, Count());  // unticked entries go only once the list is saved
  EXPECT_EQ("old list", ReadAll(listPath_));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(blocker.c_str()));
}

}  // namespace
