// The host simulator with a plug-in of its own: this test program exports the
// nine entry points and carries an EXTERN menu (fake_plugin.rc), and records
// what the host hands it.

#include "tools/mdhost/md_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>

#include "tools/mdhost/ts_payload_reader.h"

namespace {

struct FakePlugin {
  std::vector<char> name{'P', 'r', 'o', 'b', 'e', '\0'};  // what On_Send_Dll_ID_Name writes
  HWND hostWnd = nullptr;
  UINT dllId = 0;
  int resultOnEntry = 0;
  std::vector<UINT> menuSelects;
  std::function<void()> onMenuSelect;  // runs inside On_Menu_Select
  int filterCloses = 0, exits = 0;
  std::mutex mutex;                    // deliveries come on feeder threads
  std::vector<std::vector<BYTE>> deliveries;
  std::vector<UINT_PTR> deliveryIds;
  std::function<void()> onDelivery;    // runs on the feeder thread after recording
};
std::unique_ptr<FakePlugin> fake = std::make_unique<FakePlugin>();

void __cdecl FilterCallback(UINT_PTR first, int len, const BYTE* data) {
  {
    std::lock_guard lock(fake->mutex);
    fake->deliveries.emplace_back(data, data + len);
    fake->deliveryIds.push_back(first);
  }
  if (fake->onDelivery) fake->onDelivery();
}

}  // namespace

extern "C" {
__declspec(dllexport) void __cdecl On_Send_Dll_ID_Name(char* name) {
  std::memcpy(name, fake->name.data(), fake->name.size());
}
__declspec(dllexport) void __cdecl On_Start(HINSTANCE, HWND hostWnd, BOOL, UINT dllId, char*, char*, int* result) {
  fake->hostWnd = hostWnd;
  fake->dllId = dllId;
  fake->resultOnEntry = *result;
  *result = 0;
}
__declspec(dllexport) void __cdecl On_Menu_Select(UINT commandId) {
  fake->menuSelects.push_back(commandId);
  if (fake->onMenuSelect) fake->onMenuSelect();
}
__declspec(dllexport) void __cdecl On_Channel_Change(mdapi::TChannel) {}
__declspec(dllexport) void __cdecl On_Filter_Close() { ++fake->filterCloses; }
__declspec(dllexport) void __cdecl On_Exit() { ++fake->exits; }
__declspec(dllexport) void __cdecl On_Hot_Key() {}
__declspec(dllexport) void __cdecl On_Osd_Key() {}
__declspec(dllexport) void __cdecl On_Rec_Play() {}
}  // extern "C"

namespace mdhost {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 5s;

// A packet whose payload bytes say which packet they came from.
// adaptationControl: 1 payload only, 2 adaptation field only, 3 both.
TsPayload PayloadOf(std::uint8_t tag) {
  TsPayload payload;
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(tag + i);
  return payload;
}
std::string Packet(std::uint16_t pid, std::uint8_t tag, std::uint8_t adaptationControl = 1) {
  std::string bytes{char(0x47), char(0x40 | (pid >> 8)), char(pid & 0xFF), char(adaptationControl << 4)};
  TsPayload payload = PayloadOf(tag);
  return bytes.append(payload.begin(), payload.end());
}

class MdHostTest : public ::testing::Test {
 protected:
  void SetUp() override { fake = std::make_unique<FakePlugin>(); }
  void TearDown() override { dropHost(); }
  void dropHost() {
    host_.reset();
    if (!tsPath_.empty()) DeleteFileA(tsPath_.c_str());
    tsPath_.clear();
  }

  MdHost& makeHost(const std::string& ts = {}, bool loop = true) {
    dropHost();
    HostOptions options;
    options.pace = 0ms;
    options.loopTs = loop;
    if (!ts.empty()) {
      char folder[MAX_PATH], file[MAX_PATH];
      GetTempPathA(MAX_PATH, folder);
      GetTempFileNameA(folder, "mdh", 0, file);
      tsPath_ = file;
      std::ofstream(tsPath_, std::ios::binary) << ts;
      options.tsPath = tsPath_;
    }
    host_ = std::make_unique<MdHost>(options);
    host_->attach(PluginLibrary::adopt(GetModuleHandleA(nullptr)));
    return *host_;
  }

  void sendStart(WORD pid = 0x10, mdapi::FilterCallback callback = &FilterCallback) {
    record_.DllId = 7;
    record_.FilterId = 1;
    record_.Pid = pid;
    std::strcpy(record_.Name, "NIT");
    record_.Callback = callback;
    SendMessageA(host_->window(), mdapi::kMsgHost, mdapi::kCmdStartFilter, LPARAM(&record_));
  }
  void sendStop() { SendMessageA(host_->window(), mdapi::kMsgHost, mdapi::kCmdStopFilter, LPARAM(&record_.RunningId)); }

  std::vector<HostEvent> eventsOf(HostEventKind kind) const {
    std::vector<HostEvent> out;
    for (auto& e : host_->events())
      if (e.kind == kind) out.push_back(e);
    return out;
  }
  // Index of the first event whose description contains TEXT, or -1.
  int indexOf(const std::string& text) const {
    auto events = host_->events();
    for (std::size_t i = 0; i < events.size(); ++i)
      if (describe(events[i]).find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
  }

  std::unique_ptr<MdHost> host_;
  std::string tsPath_;
  mdapi::TStartFilterRec record_{};
};

TEST_F(MdHostTest, MergesThePluginMenuIntoPlugins) {
  MdHost& host = makeHost();
  HMENU menu = host.pluginsMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 40001u);
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  HMENU more = GetSubMenu(menu, 2);
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(GetMenuItemID(more, 0), 40002u);
  EXPECT_TRUE(GetMenuState(more, 0, MF_BYPOSITION) & MF_GRAYED);
  // MF_END of the template must not turn into MF_HILITE.
  EXPECT_EQ(GetMenuItemID(menu, 3), 40003u);
  EXPECT_FALSE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_HILITE);

  host.selectMenuItem(40002);
  host.selectMenuItem(40099);  // not merged: does not reach the plug-in
  host.menuSelect(0x10000 | 40065);  // a direct call passes any value
  EXPECT_EQ(fake->menuSelects, (std::vector<UINT>{40002, 0x10000 | 40065}));
}

TEST_F(MdHostTest, HandshakeShowsExactlyWhatThePluginWrote) {
  MdHost& host = makeHost();
  host.options().dllId = 9;
  host.identify();
  host.start();
  EXPECT_EQ(host.pluginName(), "Probe");
  EXPECT_FALSE(host.nameOverran());
  EXPECT_EQ(fake->hostWnd, host.window());
  EXPECT_EQ(fake->dllId, 9u);
  EXPECT_EQ(fake->resultOnEntry, MdHost::kStartResultMarker);
  EXPECT_EQ(host.startResult(), 0);
  fake->name.assign(70, 'A');
  host.identify();
  EXPECT_TRUE(host.nameOverran());
}

TEST_F(MdHostTest, FeedsThePayloadsOfTheRequestedPidInFileOrder) {
  struct Case {
    WORD pid;
    bool loop;
    std::vector<std::uint8_t> tags;  // the first deliveries
  };
  for (const Case& c : {Case{0x10, true, {1, 3, 1, 3, 1}}, Case{0x11, true, {2, 2, 2}}, Case{0x10, false, {1, 3}}}) {
    SCOPED_TRACE(testing::Message() << c.pid << (c.loop ? " looping" : " once"));
    fake = std::make_unique<FakePlugin>();
    // Junk to resynchronise after, a packet without payload (adaptation
    // field only), a PID above 8 bits, a partial packet at the end.
    makeHost("\x01\x02" + Packet(0x10, 1) + Packet(0x11, 2) + Packet(0x10, 7, 2) + "junk" +
                 Packet(0x1010, 8) + Packet(0x10, 3, 3) + Packet(0x10, 9).substr(0, 100),
             c.loop);
    sendStart(c.pid);
    ASSERT_TRUE(host_->waitForCallbacks(c.tags.size(), kPatience));
    sendStop();
    std::lock_guard lock(fake->mutex);
    if (!c.loop) {
      EXPECT_EQ(fake->deliveries.size(), c.tags.size());
    }
    for (std::size_t i = 0; i < c.tags.size(); ++i) {
      const TsPayload expected = PayloadOf(c.tags[i]);
      EXPECT_EQ(fake->deliveries[i], std::vector<BYTE>(expected.begin(), expected.end())) << i;
      EXPECT_EQ(fake->deliveryIds[i], record_.RunningId);
    }
  }
}

TEST_F(MdHostTest, StopJoinsTheFeederBeforeOnFilterClose) {
  makeHost(Packet(0x10, 1));
  sendStart();
  ASSERT_TRUE(host_->waitForCallbacks(3, kPatience));
  sendStop();
  EXPECT_EQ(host_->runningFilters(), 0u);
  const std::size_t delivered = host_->callbackCount();
  host_->pumpUntil([] { return false; }, 30ms);
  EXPECT_EQ(fake->deliveries.size(), delivered);
  EXPECT_LT(indexOf("stop filter"), indexOf("called On_Filter_Close"));
  EXPECT_EQ(fake->filterCloses, 1);
}

TEST_F(MdHostTest, ACallbackMayStopItsOwnFilterOrSendToTheGuiThread) {
  for (bool stopsItself : {true, false}) {
    SCOPED_TRACE(stopsItself);
    makeHost(Packet(0x10, 1));
    std::atomic<bool> entered{false};
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    fake->onDelivery = [&] {
      if (entered.exchange(true)) return;
      if (stopsItself) return sendStop();
      WaitForSingleObject(release, INFINITE);
      SendMessageA(host_->window(), WM_NULL, 0, 0);  // answered only if stop keeps pumping
    };
    sendStart();
    ASSERT_TRUE(host_->pumpUntil([&] { return entered.load(); }, kPatience));
    SetEvent(release);
    if (!stopsItself) sendStop();  // would hang here with a bare join
    EXPECT_TRUE(host_->pumpUntil([&] { return host_->runningFilters() == 0; }, kPatience));
    EXPECT_EQ(eventsOf(HostEventKind::StopFilter).size(), 1u);
    CloseHandle(release);
    fake->onDelivery = nullptr;
  }
}

TEST_F(MdHostTest, OddMessagesAndAMissingTsFileAreLoggedAndHarmless) {
  makeHost(Packet(0x10, 1));
  HWND window = host_->window();
  sendStop();  // RunningId 0, as before a plug-in's first start
  SendMessageA(window, mdapi::kMsgHost, 0x01020022, 5);
  SendMessageA(window, mdapi::kMsgHost, mdapi::kCmdStartFilter, 0);
  SendMessageA(window, mdapi::kMsgHost, mdapi::kCmdStopFilter, 0);
  sendStart(0x10, nullptr);

  EXPECT_EQ(eventsOf(HostEventKind::OtherMessage).at(0).wParam, 0x01020022u);
  auto stops = eventsOf(HostEventKind::StopFilter);
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(stops[0].detail, "no such filter running");
  EXPECT_EQ(stops[1].detail, "null RunningId pointer");
  auto starts = eventsOf(HostEventKind::StartFilter);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_FALSE(starts[0].record.has_value());
  EXPECT_FALSE(starts[1].feeding);
  EXPECT_EQ(host_->runningFilters(), 0u);
  EXPECT_EQ(fake->filterCloses, 2);

  host_->options().tsPath = "C:\\no\\such\\capture.ts";
  sendStart();
  EXPECT_FALSE(eventsOf(HostEventKind::StartFilter).at(2).feeding);
  EXPECT_NE(eventsOf(HostEventKind::StartFilter).at(2).detail.find("cannot open"), std::string::npos);
}

TEST_F(MdHostTest, CloseCallsOnExitThenStopsFiltersSilentlyThenUnloads) {
  makeHost(Packet(0x10, 1));
  sendStart();
  ASSERT_TRUE(host_->waitForCallbacks(1, kPatience));
  HWND window = host_->window();
  host_->close();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(host_->runningFilters(), 0u);
  EXPECT_EQ(fake->exits, 1);
  EXPECT_EQ(fake->filterCloses, 0);
  EXPECT_LT(indexOf("called On_Exit"), indexOf("unloaded"));
  host_->close();  // again: nothing more
  EXPECT_EQ(fake->exits, 1);
}

TEST_F(MdHostTest, AClosePickedUpInsideAPluginCallWaitsForItToReturn) {
  MdHost& host = makeHost();
  int exitsDuringCall = -1;
  fake->onMenuSelect = [&] {
    // What a modal message box does: the close arrives through its loop.
    PostMessageA(host.window(), WM_CLOSE, 0, 0);
    host.pumpUntil([] { return false; }, 30ms);
    exitsDuringCall = fake->exits;
  };
  host.selectMenuItem(40001);
  EXPECT_EQ(exitsDuringCall, 0);
  EXPECT_TRUE(host.pumpUntil([&] { return host.closed(); }, kPatience));
  EXPECT_EQ(fake->exits, 1);
}

TEST_F(MdHostTest, WithQuitOnCloseTheCloseBoxOnlyEndsTheOwnersLoop) {
  MdHost& host = makeHost();
  host.options().quitOnClose = true;
  PostMessageA(host.window(), WM_CLOSE, 0, 0);
  host.pumpUntil([] { return false; }, 30ms);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_FALSE(host.closed());
  EXPECT_EQ(fake->exits, 0);
}

TEST(PluginLibrary, ReportsWhatAModuleLacks) {
  EXPECT_THROW(PluginLibrary::load("C:\\no\\such\\plugin.dll"), std::runtime_error);
  auto library = PluginLibrary::load("version.dll");
  EXPECT_EQ(library->missingExports().size(), kExportNames.size());
  MdHost host;
  host.attach(std::move(library));
  host.identify();  // skipped, not a crash
  host.start();
  EXPECT_TRUE(host.menuItems().empty());
  EXPECT_EQ(host.log().count(HostEventKind::Problem), kExportNames.size() + 3);
}

}  // namespace
}  // namespace mdhost
