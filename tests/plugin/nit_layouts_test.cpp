// Every way a broadcast lays out its NIT, as the plug-in meets it: the host
// simulator plays each layout's recording once through, handing the real
// DLL bare payloads, and the search must list exactly the table's entries
// and save them under the table's position.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tests/support/nit_layouts.h"
#include "tools/mdhost/md_host.h"

namespace {

using namespace std::chrono_literals;
using velq::SearchWindow;
using namespace velq::wine_test;

std::string WriteRecording(const velq::NitLayout& layout) {
  const std::string path = TestProgramFolder() + "layout-" + layout.Name + ".ts";
  std::ofstream out(path, std::ios::binary);
  for (const velq::TsPacket& packet : layout.Packets) {
    out.write(reinterpret_cast<const char*>(packet.data()), static_cast<std::streamsize>(packet.size()));
  }
  return path;
}

std::vector<std::string> ListedEntries(HWND list) {
  std::vector<std::string> out;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    ListView_GetItemText(list, i, 0, text, sizeof text);
    out.push_back(text);
  }
  return out;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(NitLayouts, ThePluginFindsExactlyEachTableAndSavesItUnderItsPosition) {
  mdhost::HostOptions options;
  options.pace = 0ms;
  options.loopTs = false;  // one pass: no second chance for a wrong reading
  mdhost::MdHost host(options);
  host.open(PluginDllPath());
  host.selectMenuItem(40065);
  const HWND form1 = FindWindowA("TForm1", nullptr);
  ASSERT_TRUE(form1);
  const HWND list = GetDlgItem(form1, SearchWindow::kListView1);

  std::size_t tried = 0;
  for (const velq::NitLayout& layout : velq::BuildNitLayouts()) {
    if (!layout.HostDeliverable) continue;
    SCOPED_TRACE(layout.Name);
    ++tried;
    std::set<std::string> expected;
    for (const velq::Transponder& t : layout.Expected) expected.insert(velq::ExpectedEntryText(t));

    const std::string tsPath = WriteRecording(layout);
    host.options().tsPath = tsPath;
    ClickButton(form1, SearchWindow::kButton7);  // Clear all
    ClickButton(form1, SearchWindow::kButton2);  // Start Search
    const bool finished =
        PumpUntil([&] { return ControlText(form1, SearchWindow::kLabel2) == "Search finished"; }, 10s);
    EXPECT_TRUE(finished);
    if (!finished) {
      ClickButton(form1, SearchWindow::kButton3);  // Stop Search; nothing to save
      DeleteFileA(tsPath.c_str());
      continue;
    }
    EXPECT_EQ(ListedEntries(list), std::vector<std::string>(expected.begin(), expected.end()));

    ClickButton(form1, SearchWindow::kButton8);  // Save selected
    const std::string listPath = TestProgramFolder() + layout.ListFile;
    const std::string file = ReadAll(listPath);
    EXPECT_NE(file.find("\r\n[DVB]\r\n0=" + std::to_string(expected.size()) + "\r\n"), std::string::npos)
        << "no list of " << expected.size() << " entries in " << listPath;
    DeleteFileA(listPath.c_str());
    DeleteFileA(tsPath.c_str());
  }
  EXPECT_GE(tried, 10u);
  host.close();
}

}  // namespace
