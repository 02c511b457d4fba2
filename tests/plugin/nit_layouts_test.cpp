// Each NIT layout a host can hand over, played once through into the real DLL,
// must save exactly its table under its position; the samples must save
// velqtp's expected list files, byte for byte after the dated first line, and
// the real satellite recordings of ../shared their expected entries.

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/nit_builder/nit_layouts.h"

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using W = velq::SearchWindow;

struct Case { std::string name, tsPath, listFile, tail; };  // the saved file must end with `tail`

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (const velq::NitLayout& layout : velq::BuildNitLayouts()) {
    if (!layout.HostDeliverable) continue;
    Case c{layout.Name, TestProgramFolder() + "layout-" + layout.Name + ".ts", layout.ListFile, ""};
    std::ofstream ts(c.tsPath, std::ios::binary);
    for (const velq::TsPacket& packet : layout.Packets)
      ts.write(reinterpret_cast<const char*>(packet.data()), static_cast<std::streamsize>(packet.size()));
    std::set<std::string> entries;
    for (const velq::Transponder& t : layout.Expected) entries.insert(velq::ExpectedEntryText(t));
    c.tail = "\r\n[DVB]\r\n0=" + std::to_string(entries.size()) + "\r\n";
    int key = 0;
    for (const std::string& entry : entries) c.tail += std::to_string(++key) + "=" + entry + "\r\n";
    cases.push_back(c);
  }
  const std::string source = std::string("Z:") + VELQ_SOURCE_DIR;
  for (auto [sample, listFile] : {std::pair{"astra-19.2E-mid-section", "0192.ini"}, {"astra-28.2E-packed", "0282.ini"},
                                  {"hotbird-13.0E", "0130.ini"}, {"nilesat-7.0W", "3530.ini"}}) {
    const std::string expected = ReadAll(source + "/tests/cli/expected/" + listFile);
    cases.push_back({sample, source + "/samples/" + sample + ".ts", listFile, expected.substr(expected.find("\r\n"))});
  }
  const std::string real = source + "/../shared/real-captures/";  // NAME.expected: the entries in the list's order
  for (auto [name, listFile] : {std::pair{"astra192e_mumudvb", "0192.ini"}, {"mediaset13e_tsduck", "0130.ini"}}) {
    std::istringstream expected(ReadAll(real + name + ".expected"));
    std::string entries;
    int n = 0;
    for (std::string entry; std::getline(expected, entry);) entries += std::to_string(++n) + "=" + entry + "\r\n";
    const std::string tail = "\r\n[DVB]\r\n0=" + std::to_string(n) + "\r\n" + entries;
    if (n) cases.push_back({name, real + name + ".ts", listFile, tail});
  }
  return cases;
}

using NitLayouts = PluginHostTest;

TEST_F(NitLayouts, EachRecordingSavesExactlyItsTable) {
  HWND form1 = ShowPluginWindow(40065, W::kClassName);
  ASSERT_TRUE(form1);
  host.options().pace = 0ms;
  host.options().loopTs = false;  // one pass: no second chance for a wrong reading
  const std::vector<Case> cases = Cases();
  EXPECT_GE(cases.size(), 14u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.options().tsPath = c.tsPath;
    ClickButton(form1, W::kButton7);
    ClickButton(form1, W::kButton2);
    const bool finished = PumpUntil([&] { return ControlText(form1, W::kLabel2) == "Search finished"; }, 10s);
    if (c.tsPath.starts_with(TestProgramFolder())) DeleteFileA(c.tsPath.c_str());
    ASSERT_TRUE(finished);
    const std::string listPath = TestProgramFolder() + c.listFile;
    DeleteFileA(listPath.c_str());
    ClickButton(form1, W::kButton8);
    const std::string saved = ReadAll(listPath);
    DeleteFileA(listPath.c_str());
    EXPECT_TRUE(saved.ends_with(c.tail)) << saved << "\nshould end with\n" << c.tail;
  }
  const auto real = [](const Case& c) { return c.tsPath.find("/real-captures/") != std::string::npos; };
  if (std::count_if(cases.begin(), cases.end(), real) < 2) GTEST_SKIP() << "needs ../shared/real-captures";
}

}  // namespace
