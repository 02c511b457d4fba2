// A host that does things in the wrong order, or hands over nonsense, must not
// bring the plug-in (and with it the host) down.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <chrono>
#include <fstream>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tests/support/nit_builder.h"
#include "tools/mdhost/md_host.h"
#include "tools/mdhost/plugin_library.h"

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using mdhost::HostEventKind;
using mdhost::MdHost;
using velq::SearchWindow;

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

// One transponder at 13.0E, `copies` times.
velq::NitTable OneTransponderTable(int copies) {
  velq::Transponder t;
  t.FrequencyKhz = 11727500;
  t.PositionTenths = 130;
  t.SymbolRate = 27500000;
  velq::NitTable table;
  table.Transponders.assign(static_cast<std::size_t>(copies), t);
  return table;
}

std::string WriteNit(const std::string& name) {
  const velq::NitTable table = OneTransponderTable(3);
  std::string bytes;
  for (const auto& p : velq::SectionsToPackets(velq::BuildNitSections(table)))
    bytes.append(reinterpret_cast<const char*>(p.data()), p.size());
  std::string path = TestProgramFolder() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

int ListCount(HWND form1) {
  return static_cast<int>(
      SendMessageA(FindControl(form1, SearchWindow::kListView1), LVM_GETITEMCOUNT, 0, 0));
}

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

TEST(HostileHost, StartTwiceUsesTheLatestWindowAndId) {
  MdHost host;
  host.open(PluginDllPath());
  host.options().dllId = 9;
  host.start();
  EXPECT_EQ(0, host.startResult());
  HWND form1 = FindPluginWindow("TForm1");
  ClickButton(form1, SearchWindow::kButton2);
  auto events = host.events();
  auto start = std::find_if(events.begin(), events.end(),
                            [](const auto& e) { return e.kind == HostEventKind::StartFilter; });
  ASSERT_NE(events.end(), start);
  ASSERT_TRUE(start->record);
  EXPECT_EQ(9, start->record->DllId);
  host.close();
}

TEST(HostileHost, DeliveriesAfterTheStopAddNothingAndOddOnesAreHarmless) {
  MdHost host;
  host.open(PluginDllPath());
  HWND form1 = FindPluginWindow("TForm1");
  ClickButton(form1, SearchWindow::kButton2);
  auto events = host.events();
  auto start = std::find_if(events.begin(), events.end(),
                            [](const auto& e) { return e.kind == HostEventKind::StartFilter; });
  ASSERT_NE(events.end(), start);
  const mdapi::FilterCallback callback = start->record->Callback;
  ClickButton(form1, SearchWindow::kButton3);

  for (const auto& payload :
       velq::SectionsToPayloads(velq::BuildNitSections(OneTransponderTable(1))))
    callback(0, 184, payload.data());
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
  const std::string ts = WriteNit("hostile_unload.ts");
  {
    mdhost::HostOptions options;
    options.tsPath = ts;
    options.pace = 0ms;
    MdHost host(options);
    host.open(PluginDllPath());
    host.selectMenuItem(40065);
    ClickButton(FindPluginWindow("TForm1"), SearchWindow::kButton2);
    ASSERT_TRUE(host.waitForCallbacks(50, 5s));
    host.close();  // the host stops its filters, then frees the module
  }
  EXPECT_FALSE(FindPluginWindow("TForm1"));
  EXPECT_FALSE(FindPluginWindow("TTpUpdateMainForm"));
  EXPECT_FALSE(FindPluginWindow("TForm01"));
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5s))
      << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
  DeleteFileA(ts.c_str());
}

TEST(HostileHost, OnExitDuringASearchAndLoadingAgain) {
  const std::string ts = WriteNit("hostile_exit.ts");
  for (int round = 0; round < 3; ++round) {
    mdhost::HostOptions options;
    options.tsPath = ts;
    MdHost host(options);
    host.open(PluginDllPath());
    host.selectMenuItem(40065);
    HWND form1 = FindPluginWindow("TForm1");
    ClickButton(form1, SearchWindow::kButton2);
    host.plugin()->exports().exit();
    EXPECT_FALSE(IsWindowVisible(form1));
    // The search goes on while hidden and completes by itself.
    EXPECT_TRUE(PumpUntil(
        [&] { return ControlText(form1, SearchWindow::kLabel2) == "Search finished"; }, 10s));
    EXPECT_EQ(1, ListCount(form1));
    host.close();
  }
  DeleteFileA(ts.c_str());
}

}  // namespace
