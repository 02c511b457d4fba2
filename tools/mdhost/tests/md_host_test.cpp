// The host simulator with a plug-in of its own (this program exports the nine
// entry points and carries fake_plugin.rc's menu); then its template reader and command line.

#include "tools/mdhost/md_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <numeric>
#include <tuple>
#include <utility>

#include "tools/mdhost/command_line.h"
#include "tools/mdhost/ts_payload_reader.h"

namespace {

struct FakePlugin {
  std::string name = "Probe";  // On_Send_Dll_ID_Name writes it with its zero
  std::tuple<HWND, UINT, int> started;  // On_Start's window, id, and the result it found
  int filterCloses = 0, exits = 0;
  std::vector<UINT> menuSelects;
  std::function<void()> onMenuSelect, onDelivery;  // run inside those calls
  std::atomic<int> inDelivery{0};
  bool closedDuringDelivery = false;
  std::mutex mutex;  // deliveries come on feeder threads
  std::vector<std::pair<UINT_PTR, std::string>> deliveries;
};
std::unique_ptr<FakePlugin> fake;

void __cdecl FilterCallback(UINT_PTR first, int len, const BYTE* data) {
  ++fake->inDelivery;
  std::unique_lock lock(fake->mutex);
  fake->deliveries.push_back({first, std::string(data, data + len)});
  lock.unlock();
  if (fake->onDelivery) fake->onDelivery();
  --fake->inDelivery;
}

}  // namespace

extern "C" {
__declspec(dllexport) void __cdecl On_Send_Dll_ID_Name(char* name) {
  std::memcpy(name, fake->name.c_str(), fake->name.size() + 1);
}
__declspec(dllexport) void __cdecl On_Start(HINSTANCE, HWND hostWnd, BOOL, UINT dllId, char*, char*, int* result) {
  fake->started = {hostWnd, dllId, std::exchange(*result, 0)};
}
__declspec(dllexport) void __cdecl On_Menu_Select(UINT commandId) {
  fake->menuSelects.push_back(commandId);
  if (fake->onMenuSelect) fake->onMenuSelect();
}
__declspec(dllexport) void __cdecl On_Channel_Change(mdapi::TChannel) {}
__declspec(dllexport) void __cdecl On_Filter_Close() {
  ++fake->filterCloses;
  fake->closedDuringDelivery |= fake->inDelivery > 0;
}
__declspec(dllexport) void __cdecl On_Exit() { ++fake->exits; }
__declspec(dllexport) void __cdecl On_Hot_Key() {}
__declspec(dllexport) void __cdecl On_Osd_Key() {}
__declspec(dllexport) void __cdecl On_Rec_Play() {}
}  // extern "C"

namespace mdhost {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 30s;  // a deadline for failures: emulated runs are slow

// Payload bytes counting up from TAG say which packet a delivery came from,
// and from where in it. adaptation: 1 payload only, 2 adaptation field only, 3 both.
std::string Payload(char tag) {
  std::string payload(kTsPayloadSize, 0);
  std::iota(payload.begin(), payload.end(), tag);
  return payload;
}
std::string Packet(std::uint16_t pid, char tag, int adaptation = 1) {
  return std::string{char(0x47), char(0x40 | (pid >> 8)), char(pid & 0xFF), char(adaptation << 4)} + Payload(tag);
}

class MdHostTest : public testing::Test {
 protected:
  void TearDown() override { host.reset(); DeleteFileA("md_host_test.ts"); }
  // A host with this program as its plug-in (afresh), feeding TS.
  MdHost& makeHost(const std::string& ts = {}, bool loop = true) {
    TearDown();
    fake = std::make_unique<FakePlugin>();
    HostOptions options{{}, 0ms, loop};
    if (!ts.empty()) std::ofstream(options.tsPath = "md_host_test.ts", std::ios::binary) << ts;
    host = std::make_unique<MdHost>(options);
    host->attach(PluginLibrary::adopt(GetModuleHandleA(nullptr)));
    return *host;
  }
  void send(WPARAM command, LPARAM lParam) { SendMessageA(host->window(), mdapi::kMsgHost, command, lParam); }
  void sendStart(WORD pid = 0x10) {
    record = {7, 1, pid, "NIT", 0, &FilterCallback, 0};
    send(mdapi::kCmdStartFilter, LPARAM(&record));
  }
  void sendStop() { send(mdapi::kCmdStopFilter, LPARAM(&record.RunningId)); }

  std::unique_ptr<MdHost> host;
  mdapi::TStartFilterRec record{};
};

TEST_F(MdHostTest, MergesThePluginMenuAndHandsOverExactlyWhatEachSideWrote) {
  makeHost().options().dllId = 9;
  HMENU menu = host->pluginsMenu(), more = GetSubMenu(menu, 2);
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 40001u);
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(GetMenuItemID(more, 0), 40002u);
  EXPECT_TRUE(GetMenuState(more, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(more, 1), 0), 40004u);
  EXPECT_EQ(GetMenuItemID(menu, 3), 40003u);
  EXPECT_FALSE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_HILITE);  // what MF_END of a template means here
  host->selectMenuItem(40004);
  host->selectMenuItem(40099);  // not merged: does not reach the plug-in
  host->menuSelect(0x10000 | 40065);  // a direct call passes any value
  EXPECT_EQ(fake->menuSelects, (std::vector<UINT>{40004, 0x10000 | 40065}));

  host->identify();
  host->start();
  EXPECT_EQ(host->pluginName(), "Probe");
  EXPECT_FALSE(host->nameOverran());
  EXPECT_EQ(fake->started, std::make_tuple(host->window(), 9u, MdHost::kStartResultMarker));
  EXPECT_EQ(host->startResult(), 0);
  fake->name.assign(70, 'A');
  host->identify();
  EXPECT_TRUE(host->nameOverran());
  send(0x01020022, 5);  // the Wine tests count on seeing any other message
  EXPECT_EQ(host->log().count(HostEventKind::OtherMessage), 1u);
}

TEST_F(MdHostTest, FeedsThePayloadsOfTheRequestedPidInFileOrder) {
  // PID, looping, the first deliveries
  const std::tuple<WORD, bool, std::string> cases[] = {
      {0x10, true, "\1\3\1\3\1"}, {0x11, true, "\2\2\2"}, {0x10, false, "\1\3"}};
  for (const auto& [pid, loop, tags] : cases) {
    SCOPED_TRACE(testing::Message() << pid << (loop ? " looping" : " once"));
    // Junk to resynchronise after, a packet without payload, a PID above
    // 8 bits, a partial packet at the end.
    makeHost("\x01\x02" + Packet(0x10, 1) + Packet(0x11, 2) + Packet(0x10, 7, 2) + "junk" + Packet(0x1010, 8) +
                 Packet(0x10, 3, 3) + Packet(0x10, 9).substr(0, 100),
             loop);
    sendStart(pid);
    ASSERT_TRUE(host->waitForCallbacks(tags.size(), kPatience));
    sendStop();
    std::lock_guard lock(fake->mutex);
    if (!loop) {
      EXPECT_EQ(fake->deliveries.size(), tags.size());
    }
    for (std::size_t i = 0; i < tags.size(); ++i)
      EXPECT_EQ(fake->deliveries[i], std::make_pair(record.RunningId, Payload(tags[i]))) << i;
  }
}

// On_Filter_Close comes once the feeder has ended: the callback may stop its
// own filter, or wait for the GUI thread that is stopping it.
TEST_F(MdHostTest, StopJoinsTheFeederBeforeOnFilterClose) {
  for (bool stopsItself : {true, false}) {
    SCOPED_TRACE(stopsItself);
    makeHost(Packet(0x10, 1));
    std::atomic<bool> entered{false};
    HANDLE enteredEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    fake->onDelivery = [&] {
      if (entered.exchange(true)) return;
      SetEvent(enteredEvent);
      // Both wait for this thread; the second is answered only if the stop keeps pumping.
      stopsItself ? sendStop() : void(SendMessageA(host->window(), WM_NULL, 0, 0));
    };
    sendStart();
    const DWORD waited = WaitForSingleObject(enteredEvent, 60'000);  // not pumping
    CloseHandle(enteredEvent);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    if (!stopsItself) sendStop();
    EXPECT_TRUE(host->pumpUntil([&] { return host->runningFilters() == 0; }, kPatience));
    EXPECT_EQ(fake->filterCloses, 1);
    EXPECT_FALSE(fake->closedDuringDelivery);
  }
}

// A close waits for the plug-in's calls (it may come through their modal box's
// loop); then On_Exit, once, and the filters stop without On_Filter_Close.
TEST_F(MdHostTest, CloseWaitsForPluginCallsThenCallsOnExitOnceAndStopsFiltersSilently) {
  makeHost(Packet(0x10, 1));
  sendStart();
  int exitsDuringCall = -1;
  fake->onMenuSelect = [&] {
    PostMessageA(host->window(), WM_CLOSE, 0, 0);
    host->pumpUntil([] { return false; }, 0ms);
    exitsDuringCall = fake->exits;
  };
  host->selectMenuItem(40001);
  EXPECT_EQ(exitsDuringCall, 0);
  EXPECT_TRUE(host->pumpUntil([&] { return host->window() == nullptr; }, kPatience));
  host->close();
  EXPECT_EQ(std::make_tuple(fake->exits, fake->filterCloses, host->runningFilters()), std::make_tuple(1, 0, 0u));
}

TEST(PluginLibrary, ReportsWhatAModuleLacks) {
  auto library = PluginLibrary::load("version.dll");
  EXPECT_EQ(library->missingExports().size(), kExportNames.size());
  MdHost host;
  host.attach(std::move(library));
  host.identify();  // skipped, not a crash
  host.start();
  EXPECT_EQ(host.log().count(HostEventKind::Problem), kExportNames.size() + 3);
}

// Menu templates beyond what our resource compiler writes: 16-bit words, the
// header (version, extra header bytes), then each item's flags (0x10 pop-up,
// 0x80 last), its id (pop-ups have none) and its text with a zero.
TEST(MenuTemplate, ReadsAnyStandardTemplateAndRejectsTheRest) {
  // A longer header, and padding after the end. Cut short anywhere, it is
  // refused, not read on beyond the cut (where the rest still lies).
  const std::uint8_t item[] = {0, 0, 2, 0, 0xEE, 0xEE, 0x80, 0, 1, 0, 'x', 0, 0, 0, 0xAB};
  EXPECT_EQ(parseMenuTemplate(item).size(), 1u);
  for (std::size_t cut : {0, 3, 4, 7, 9, 13})
    EXPECT_THROW(parseMenuTemplate(std::span(item, cut)), MenuTemplateError) << cut;
  std::vector<std::uint8_t> deep = {0, 0, 0, 0};
  for (int i = 0; i < 40; ++i) deep.insert(deep.end(), {0x90, 0, 'p', 0, 0, 0});
  deep.insert(deep.end(), {0x80, 0, 1, 0, 0, 0});
  const std::pair<const char*, std::vector<std::uint8_t>> rejected[] = {
      {"extended template", {1, 0, 0, 0, 0x80, 0, 1, 0, 0, 0}},
      {"last item without the end flag", {0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
      {"pop-ups nested too deep", deep},
  };
  for (const auto& [what, bytes] : rejected) EXPECT_THROW(parseMenuTemplate(bytes), MenuTemplateError) << what;
}

TEST(CommandLine, AcceptsThePluginAndItsOptionsInAnyOrderAndRefusesTheRest) {
  auto line = parseCommandLine({"--pace-ms", "0", "--menu", "40065", "Plug.dll", "--ts", "nit.ts", "--menu", "40068"});
  EXPECT_EQ(line.error + "|" + line.pluginPath + "|" + line.tsPath, "|Plug.dll|nit.ts");
  EXPECT_EQ(line.paceMs, 0);
  EXPECT_EQ(line.menuPicks, (std::vector<unsigned>{40065, 40068}));
  EXPECT_EQ(parseCommandLine({"--help"}).error, "");  // help needs no plug-in
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"a.dll", "b.dll"}, {"a.dll", "--ts"}, {"a.dll", "--pace-ms", "-1"}, {"a.dll", "--pace-ms", "60001"},
           {"a.dll", "--verbose"}, {"a.dll", "--menu", "0"}, {"a.dll", "--menu", "65536"}, {"a.dll", "--menu", "x"}})
    EXPECT_NE(parseCommandLine(args).error, "") << testing::PrintToString(args);
}

}  // namespace
}  // namespace mdhost
