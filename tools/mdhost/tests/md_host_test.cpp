#include "tools/mdhost/md_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "tools/mdhost/tests/fake_plugin.h"
#include "tools/mdhost/tests/ts_packets.h"

namespace mdhost {
namespace {

using namespace std::chrono_literals;
using test::packet;
using test::payloadOf;

constexpr auto kPatience = 5s;

HostOptions feeding(const std::string& tsPath, bool loop = true) {
  HostOptions options;
  options.tsPath = tsPath;
  options.loopTs = loop;
  return options;
}

class MdHostTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_plugin::reset(); }
  void TearDown() override {
    host_.reset();
    if (!tsPath_.empty()) DeleteFileA(tsPath_.c_str());
  }

  MdHost& makeHost(HostOptions options = {}) {
    options.pace = 0ms;
    host_ = std::make_unique<MdHost>(options);
    host_->attach(PluginLibrary::adopt(GetModuleHandleA(nullptr)));
    return *host_;
  }

  std::string writeTs(const std::string& bytes) {
    if (!tsPath_.empty()) DeleteFileA(tsPath_.c_str());
    char folder[MAX_PATH];
    char file[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "mdh", 0, file);
    tsPath_ = file;
    std::ofstream(tsPath_, std::ios::binary) << bytes;
    return tsPath_;
  }

  void fillRecord(WORD pid = 0x10) {
    record_.DllId = 7;
    record_.FilterId = 1;
    record_.Pid = pid;
    std::strcpy(record_.Name, "NIT");
    record_.Callback = &fake_plugin::filterCallback;
  }
  void sendStart() { SendMessageA(host_->window(), mdapi::kMsgHost, mdapi::kCmdStartFilter, LPARAM(&record_)); }
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
  EXPECT_TRUE(host.plugin()->missingExports().empty());
  HMENU menu = host.pluginsMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  char text[64];
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Probe One");
  EXPECT_EQ(GetMenuItemID(menu, 0), 40001u);
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  HMENU more = GetSubMenu(menu, 2);
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(GetMenuItemID(more, 0), 40002u);
  EXPECT_TRUE(GetMenuState(more, 0, MF_BYPOSITION) & MF_GRAYED);
  // MF_END of the template must not turn into MF_HILITE.
  EXPECT_EQ(GetMenuItemID(menu, 3), 40003u);
  EXPECT_FALSE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_HILITE);
  EXPECT_EQ(host.menuItems().back().flags, MF_END);
}

TEST_F(MdHostTest, HandshakeShowsExactlyWhatThePluginWrote) {
  MdHost& host = makeHost();
  host.options().dllId = 9;
  host.identify();
  host.start();
  auto buffer = host.nameBuffer();
  EXPECT_EQ(std::memcmp(buffer.data(), "Probe", 6), 0);
  for (std::size_t i = 6; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], MdHost::kNameBufferMarker) << i;
  EXPECT_EQ(host.pluginName(), "Probe");
  EXPECT_FALSE(host.nameOverran());
  EXPECT_EQ(fake_plugin::state().hostWnd, host.window());
  EXPECT_EQ(fake_plugin::state().dllId, 9u);
  EXPECT_EQ(fake_plugin::state().resultOnEntry, MdHost::kStartResultMarker);
  EXPECT_EQ(host.startResult(), 0);

  fake_plugin::state().name.assign(70, 'A');
  host.identify();
  EXPECT_TRUE(host.nameOverran());
}

TEST_F(MdHostTest, OnlyMergedMenuPicksReachThePlugin) {
  MdHost& host = makeHost();
  host.selectMenuItem(40002);
  host.selectMenuItem(40099);
  host.menuSelect(0x10000 | 40065);  // a direct call passes any value
  EXPECT_EQ(fake_plugin::state().menuSelects, (std::vector<UINT>{40002, 0x10000 | 40065}));

  mdapi::TChannel channel{};
  channel.Bytes[0] = 0x5A;
  host.changeChannel(channel);
  EXPECT_EQ(fake_plugin::state().firstChannelByte, 0x5A);
}

TEST_F(MdHostTest, StartWritesARunningIdAndLogsTheRecordAsSent) {
  makeHost();
  fillRecord();
  mdapi::TStartFilterRec sent = record_;
  sendStart();
  EXPECT_EQ(record_.RunningId, 1u);
  sendStart();
  EXPECT_EQ(record_.RunningId, 2u);

  auto starts = eventsOf(HostEventKind::StartFilter);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(std::memcmp(&*starts[0].record, &sent, sizeof sent), 0);
  EXPECT_EQ(starts[0].runningId, 1u);
  EXPECT_FALSE(starts[0].feeding);  // no .ts file given
  EXPECT_EQ(starts[1].record->RunningId, 1u);  // the id the plug-in left in its record
  EXPECT_EQ(starts[1].runningId, 2u);
}

TEST_F(MdHostTest, FeedsThePayloadsOfTheRequestedPidInFileOrderAndLoops) {
  for (WORD pid : {WORD(0x10), WORD(0x11)}) {
    SCOPED_TRACE(pid);
    fake_plugin::reset();
    makeHost(feeding(writeTs(packet(0x10, 1) + packet(0x11, 2) + packet(0x10, 3))));
    fillRecord(pid);
    sendStart();
    ASSERT_TRUE(host_->waitForCallbacks(5, kPatience));
    sendStop();
    auto got = fake_plugin::deliveries();
    ASSERT_GE(got.size(), 5u);
    std::vector<std::uint8_t> tags = pid == 0x10 ? std::vector<std::uint8_t>{1, 3, 1, 3, 1} : std::vector<std::uint8_t>{2, 2, 2, 2, 2};
    for (std::size_t i = 0; i < tags.size(); ++i) {
      EXPECT_EQ(got[i].first, record_.RunningId);
      ASSERT_EQ(got[i].len, 184);
      TsPayload expected = payloadOf(tags[i]);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got[i].bytes.begin())) << i;
    }
  }
}

TEST_F(MdHostTest, WithoutLoopingOnePassIsDelivered) {
  makeHost(feeding(writeTs(packet(0x10, 1) + packet(0x10, 2)), false));
  fillRecord();
  sendStart();
  ASSERT_TRUE(host_->waitForCallbacks(2, kPatience));
  sendStop();
  EXPECT_EQ(fake_plugin::deliveries().size(), 2u);
}

TEST_F(MdHostTest, StopJoinsTheFeederBeforeOnFilterClose) {
  makeHost(feeding(writeTs(packet(0x10, 1))));
  fillRecord();
  sendStart();
  ASSERT_TRUE(host_->waitForCallbacks(3, kPatience));
  sendStop();
  EXPECT_EQ(host_->runningFilters(), 0u);
  std::size_t delivered = fake_plugin::deliveries().size();
  host_->pumpUntil([] { return false; }, 30ms);
  EXPECT_EQ(fake_plugin::deliveries().size(), delivered);
  EXPECT_EQ(host_->callbackCount(), delivered);

  auto stops = eventsOf(HostEventKind::StopFilter);
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].runningId, 1u);
  EXPECT_LT(indexOf("stop filter"), indexOf("called On_Filter_Close"));
  EXPECT_EQ(fake_plugin::state().filterCloses, 1);
}

TEST_F(MdHostTest, StopOfAnIdThatIsNotRunningIsLoggedAndStillClosed) {
  makeHost();
  fillRecord();
  sendStop();  // RunningId 0, as before a plug-in's first start
  auto stops = eventsOf(HostEventKind::StopFilter);
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].runningId, 0u);
  EXPECT_EQ(stops[0].detail, "no such filter running");
  EXPECT_EQ(fake_plugin::state().filterCloses, 1);
}

TEST_F(MdHostTest, ACallbackMayStopItsOwnFilter) {
  makeHost(feeding(writeTs(packet(0x10, 1))));
  fillRecord();
  std::atomic<bool> sent{false};
  fake_plugin::state().onDelivery = [&] {
    if (!sent.exchange(true))
      SendMessageA(host_->window(), mdapi::kMsgHost, mdapi::kCmdStopFilter, LPARAM(&record_.RunningId));
  };
  sendStart();
  EXPECT_TRUE(host_->pumpUntil([&] { return host_->runningFilters() == 0 && host_->log().count(HostEventKind::StopFilter) == 1; }, kPatience));
}

TEST_F(MdHostTest, StopAnswersWhatTheCallbackSendsToTheGuiThread) {
  makeHost(feeding(writeTs(packet(0x10, 1))));
  fillRecord();
  std::atomic<bool> entered{false};
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  fake_plugin::state().onDelivery = [&] {
    if (entered.exchange(true)) return;
    WaitForSingleObject(release, INFINITE);
    SendMessageA(host_->window(), WM_NULL, 0, 0);  // answered only if stop keeps pumping
  };
  sendStart();
  ASSERT_TRUE(host_->pumpUntil([&] { return entered.load(); }, kPatience));
  SetEvent(release);
  sendStop();  // would hang here with a bare join
  EXPECT_EQ(host_->runningFilters(), 0u);
  CloseHandle(release);
}

TEST_F(MdHostTest, OddMessagesAreLoggedAndHarmless) {
  makeHost(feeding(writeTs(packet(0x10, 1))));
  HWND window = host_->window();
  SendMessageA(window, mdapi::kMsgHost, 0x01020022, 5);
  SendMessageA(window, mdapi::kMsgHost, mdapi::kCmdStartFilter, 0);
  SendMessageA(window, mdapi::kMsgHost, mdapi::kCmdStopFilter, 0);
  fillRecord();
  record_.Callback = nullptr;
  sendStart();

  auto others = eventsOf(HostEventKind::OtherMessage);
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].wParam, 0x01020022u);
  auto starts = eventsOf(HostEventKind::StartFilter);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_FALSE(starts[0].record.has_value());
  EXPECT_FALSE(starts[1].feeding);
  EXPECT_EQ(eventsOf(HostEventKind::StopFilter)[0].detail, "null RunningId pointer");
  EXPECT_EQ(host_->runningFilters(), 0u);
}

TEST_F(MdHostTest, AMissingTsFileIsReportedOnTheStart) {
  makeHost(feeding("C:\\no\\such\\capture.ts"));
  fillRecord();
  sendStart();
  auto starts = eventsOf(HostEventKind::StartFilter);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_FALSE(starts[0].feeding);
  EXPECT_NE(starts[0].detail.find("cannot open"), std::string::npos);
}

TEST_F(MdHostTest, CloseCallsOnExitThenStopsFiltersSilentlyThenUnloads) {
  makeHost(feeding(writeTs(packet(0x10, 1))));
  fillRecord();
  sendStart();
  ASSERT_TRUE(host_->waitForCallbacks(1, kPatience));
  HWND window = host_->window();
  host_->close();
  EXPECT_TRUE(host_->closed());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(host_->runningFilters(), 0u);
  EXPECT_EQ(fake_plugin::state().exits, 1);
  EXPECT_EQ(fake_plugin::state().filterCloses, 0);
  EXPECT_EQ(eventsOf(HostEventKind::StopFilter).size(), 0u);
  EXPECT_LT(indexOf("called On_Exit"), indexOf("unloaded"));
  std::size_t delivered = fake_plugin::deliveries().size();
  host_->close();  // again: nothing more
  EXPECT_EQ(fake_plugin::state().exits, 1);
  EXPECT_EQ(fake_plugin::deliveries().size(), delivered);
}

TEST_F(MdHostTest, AClosePickedUpInsideAPluginCallWaitsForItToReturn) {
  MdHost& host = makeHost();
  int exitsDuringCall = -1;
  fake_plugin::state().onMenuSelect = [&] {
    // What a modal message box does: the close arrives through its loop.
    PostMessageA(host.window(), WM_CLOSE, 0, 0);
    host.pumpUntil([] { return false; }, 30ms);
    exitsDuringCall = fake_plugin::state().exits;
  };
  host.selectMenuItem(40001);
  EXPECT_EQ(exitsDuringCall, 0);
  EXPECT_TRUE(host.pumpUntil([&] { return host.closed(); }, kPatience));
  EXPECT_EQ(fake_plugin::state().exits, 1);
}

TEST_F(MdHostTest, WithQuitOnCloseTheCloseBoxOnlyEndsTheOwnersLoop) {
  HostOptions options;
  options.quitOnClose = true;
  MdHost& host = makeHost(options);
  PostMessageA(host.window(), WM_CLOSE, 0, 0);
  host.pumpUntil([] { return false; }, 30ms);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_FALSE(host.closed());
  EXPECT_EQ(fake_plugin::state().exits, 0);
}

TEST(PluginLibrary, ReportsWhatAModuleLacks) {
  EXPECT_THROW(PluginLibrary::load("C:\\no\\such\\plugin.dll"), std::runtime_error);
  auto library = PluginLibrary::load("version.dll");
  EXPECT_EQ(library->missingExports().size(), kExportNames.size());
  EXPECT_FALSE(library->menuResource().has_value());

  MdHost host;
  host.attach(std::move(library));
  host.identify();  // skipped, not a crash
  host.start();
  EXPECT_TRUE(host.menuItems().empty());
  EXPECT_EQ(host.log().count(HostEventKind::Problem), kExportNames.size() + 3);
}

}  // namespace
}  // namespace mdhost
