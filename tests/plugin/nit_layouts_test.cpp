// Every way a broadcast lays out its NIT, as the plug-in meets it: the host
// simulator plays each layout's recording once through, handing the real
// DLL bare payloads, and the search must list exactly the table's entries
// and save them under the table's position. The samples must give what
// velqtp gives.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
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

std::vector<std::string> SavedListFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((TestProgramFolder() + "????.ini").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The search window driven as a user would, on one recording at a time.
class NitLayouts : public testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& name : SavedListFiles()) DeleteFileA((TestProgramFolder() + name).c_str());
    mdhost::HostOptions options;
    options.pace = 0ms;
    options.loopTs = false;  // one pass: no second chance for a wrong reading
    host_ = std::make_unique<mdhost::MdHost>(options);
    host_->open(PluginDllPath());
    host_->selectMenuItem(40065);
    form1_ = FindWindowA("TForm1", nullptr);
    ASSERT_TRUE(form1_);
    list_ = GetDlgItem(form1_, SearchWindow::kListView1);
  }
  void TearDown() override { host_->close(); }

  // Clear all, then a whole search; false (and the search stopped) when it
  // does not finish.
  bool Search(const std::string& tsPath) {
    host_->options().tsPath = tsPath;
    ClickButton(form1_, SearchWindow::kButton7);
    ClickButton(form1_, SearchWindow::kButton2);
    if (PumpUntil([&] { return ControlText(form1_, SearchWindow::kLabel2) == "Search finished"; }, 10s)) {
      return true;
    }
    ClickButton(form1_, SearchWindow::kButton3);
    return false;
  }
  void Save() { ClickButton(form1_, SearchWindow::kButton8); }

  std::unique_ptr<mdhost::MdHost> host_;
  HWND form1_ = nullptr, list_ = nullptr;
};

TEST_F(NitLayouts, ThePluginFindsExactlyEachTableAndSavesItUnderItsPosition) {
  std::size_t tried = 0;
  for (const velq::NitLayout& layout : velq::BuildNitLayouts()) {
    if (!layout.HostDeliverable) continue;
    SCOPED_TRACE(layout.Name);
    ++tried;
    std::set<std::string> expected;
    for (const velq::Transponder& t : layout.Expected) expected.insert(velq::ExpectedEntryText(t));

    const std::string tsPath = WriteRecording(layout);
    const bool finished = Search(tsPath);
    DeleteFileA(tsPath.c_str());
    EXPECT_TRUE(finished);
    if (!finished) continue;
    EXPECT_EQ(ListedEntries(list_), std::vector<std::string>(expected.begin(), expected.end()));

    Save();
    EXPECT_EQ(SavedListFiles(), std::vector<std::string>{layout.ListFile});
    const std::string listPath = TestProgramFolder() + layout.ListFile;
    EXPECT_NE(ReadAll(listPath).find("\r\n[DVB]\r\n0=" + std::to_string(expected.size()) + "\r\n"),
              std::string::npos)
        << "no list of " << expected.size() << " entries in " << listPath;
    DeleteFileA(listPath.c_str());
  }
  EXPECT_GE(tried, 10u);
}

// The samples give the plug-in the same list files as velqtp's expected
// ones, byte for byte after the line with the date.
TEST_F(NitLayouts, TheSamplesGiveTheListFilesVelqtpGives) {
  const std::string source = std::string("Z:") + VELQ_SOURCE_DIR;
  const char* const samples[] = {"astra-19.2E-mid-section", "astra-28.2E-packed", "hotbird-13.0E",
                                 "nilesat-7.0W"};
  const auto body = [](const std::string& file) { return file.substr(std::min(file.find("\r\n"), file.size())); };
  for (const char* sample : samples) {
    SCOPED_TRACE(sample);
    ASSERT_TRUE(Search(source + "/samples/" + sample + ".ts"));
    Save();
    const std::vector<std::string> saved = SavedListFiles();
    ASSERT_EQ(saved.size(), 1u);
    const std::string ours = ReadAll(TestProgramFolder() + saved[0]);
    const std::string velqtps = ReadAll(source + "/tests/cli/expected/" + saved[0]);
    EXPECT_FALSE(velqtps.empty()) << saved[0];
    EXPECT_EQ(body(ours), body(velqtps)) << saved[0];
    DeleteFileA((TestProgramFolder() + saved[0]).c_str());
  }
}

}  // namespace
