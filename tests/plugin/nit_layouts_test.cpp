// Each NIT layout a host can hand over, played once through into the real DLL,
// must save exactly its table under its position; the samples must save
// velqtp's expected list files, byte for byte after the dated first line, and
// so must the real recordings velqtp finds a list in (run_with_velqtp_lists.sh);
// where velqtp finds none, the plug-in must list nothing either.

#include <fstream>
#include <set>

#include "plugin/search_window.h"
#include "tests/plugin/wine_gui_support.h"
#include "tools/mdhost/ts_payload_reader.h"
#include "tools/nit_builder/nit_layouts.h"

#include <commctrl.h>  // after <windows.h>, which wine_gui_support.h brings

namespace {

using namespace std::chrono_literals;
using namespace velq::wine_test;
using W = velq::SearchWindow;

// The saved file must end with `tail`; no `listFile`: the search lists nothing.
struct Case { std::string name, tsPath, listFile, tail; };

// A recording's payloads on PID 0x0010: one pass of the host's feeder.
std::uint64_t NitPayloads(const std::string& tsPath) {
  std::ifstream in(tsPath.substr(2), std::ios::binary);  // a Z: path, as the Unix C library sees it
  mdhost::TsPayloadReader reader(in, 0x0010);
  mdhost::TsPayload payload;
  std::uint64_t count = 0;
  while (reader.next(payload)) ++count;
  return count;
}

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
  const std::string lists = Env("VELQ_TEST_CAPTURE_LISTS"), captures = Env("VELQ_TEST_CAPTURES");
  WIN32_FIND_DATAA found;
  for (HANDLE each = FindFirstFileA((lists + "\\*.ts").c_str(), &found); each != INVALID_HANDLE_VALUE;) {
    const std::string name = found.cFileName;  // velqtp's list, if any, in the folder NAME.ts
    Case c{name, captures + "\\" + name, "", ""};
    HANDLE list = FindFirstFileA((lists + "\\" + name + "\\*.ini").c_str(), &found);
    if (list != INVALID_HANDLE_VALUE) {
      c.listFile = found.cFileName;
      const std::string expected = ReadAll(lists + "\\" + name + "\\" + c.listFile);
      c.tail = expected.substr(expected.find("\r\n"));
      FindClose(list);
    }
    cases.push_back(c);
    if (!FindNextFileA(each, &found)) FindClose(each), each = INVALID_HANDLE_VALUE;
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
    const std::uint64_t delivered = host.callbackCount();
    ClickButton(form1, W::kButton2);
    if (c.listFile.empty()) {
      // The whole recording delivered, then the poll its timer would make.
      ASSERT_TRUE(host.waitForCallbacks(delivered + NitPayloads(c.tsPath), 30s));
      SendMessageA(form1, WM_TIMER, W::kTimer1, 0);
      EXPECT_EQ(0, SendDlgItemMessageA(form1, W::kListView1, LVM_GETITEMCOUNT, 0, 0));
      ClickButton(form1, W::kButton3);
      continue;
    }
    const bool finished = PumpUntil([&] { return ControlText(form1, W::kLabel2) == "Search finished"; }, 30s);
    if (c.tsPath.starts_with(TestProgramFolder())) DeleteFileA(c.tsPath.c_str());
    ASSERT_TRUE(finished);
    const std::string listPath = TestProgramFolder() + c.listFile;
    DeleteFileA(listPath.c_str());
    ClickButton(form1, W::kButton8);
    const std::string saved = ReadAll(listPath);
    DeleteFileA(listPath.c_str());
    EXPECT_TRUE(saved.ends_with(c.tail)) << saved << "\nshould end with\n" << c.tail;
  }
  if (Env("VELQ_TEST_CAPTURES").empty()) GTEST_SKIP() << "the real recordings of ../shared/real-captures not searched";
}

}  // namespace
