#include "tools/mdhost/md_host.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "tools/mdhost/activity_view.h"
#include "tools/mdhost/message_pump.h"
#include "tools/mdhost/ts_feeder.h"

namespace mdhost {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 200;
// Menu flags that mean the same in a template and in AppendMenu; MF_END
// (0x80) would read as MF_HILITE there.
constexpr UINT kAppendableFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK;

void registerWindowClass(WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, MdHost::kWindowClass, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = MdHost::kWindowClass;
  if (!RegisterClassExA(&wc)) throw std::runtime_error("cannot register the host window class");
}

HostEvent eventOf(HostEventKind kind, WPARAM wParam = 0, LPARAM lParam = 0, std::string detail = {}) {
  HostEvent event;
  event.kind = kind;
  event.wParam = wParam;
  event.lParam = lParam;
  event.detail = std::move(detail);
  return event;
}

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

MdHost::MdHost(HostOptions options) : options_(std::move(options)) {
  registerWindowClass(&MdHost::windowProc);
  HMENU menuBar = CreateMenu();
  pluginsMenu_ = CreatePopupMenu();
  AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(pluginsMenu_), "Plugins");
  nameBuffer_.fill(kNameBufferMarker);
  window_ = CreateWindowExA(0, kWindowClass, "MD-API host simulator", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 720, 440, nullptr, menuBar, GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) {
    DestroyMenu(menuBar);
    throw std::runtime_error("cannot create the host window");
  }
  if (options_.visible) {
    view_ = std::make_unique<ActivityView>(window_);
    SetTimer(window_, kRefreshTimer, kRefreshMs, nullptr);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
  }
}

MdHost::~MdHost() { close(); }

void MdHost::open(const std::string& dllPath) {
  attach(PluginLibrary::load(dllPath));
  identify();
  start();
}

void MdHost::attach(std::unique_ptr<PluginLibrary> plugin) {
  plugin_ = std::move(plugin);
  for (const std::string& name : plugin_->missingExports()) logProblem("the plug-in does not export " + name);
  if (auto resource = plugin_->menuResource()) {
    try {
      menuItems_ = parseMenuTemplate(*resource);
      mergeMenu(pluginsMenu_, menuItems_);
    } catch (const MenuTemplateError& e) {
      logProblem(e.what());
    }
  } else {
    logProblem(std::string("the plug-in has no ") + kMenuResourceName + " menu resource");
  }
  DrawMenuBar(window_);
  SetWindowTextA(window_, ("MD-API host simulator - " + baseName(plugin_->path())).c_str());
  refreshView();
}

void MdHost::mergeMenu(HMENU into, const std::vector<MenuTemplateItem>& items) {
  for (const MenuTemplateItem& item : items) {
    if (item.isPopup()) {
      HMENU popup = CreatePopupMenu();
      mergeMenu(popup, item.children);
      AppendMenuW(into, MF_POPUP | (item.flags & kAppendableFlags), reinterpret_cast<UINT_PTR>(popup),
                  item.text.c_str());
    } else if (item.isSeparator()) {
      AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(into, MF_STRING | (item.flags & kAppendableFlags), item.id, item.text.c_str());
      pluginCommands_.insert(item.id);
    }
  }
}

template <typename Fn, typename... Args>
void MdHost::callExport(Fn PluginExports::*slot, const std::string& call, Args&&... args) {
  Fn function = plugin_ ? plugin_->exports().*slot : nullptr;
  if (function == nullptr) return logProblem(call.substr(0, call.find('(')) + " is not available");
  logCall(call);
  ++pluginCallDepth_;
  function(std::forward<Args>(args)...);
  // A close that came while the plug-in was on the stack (say, from its
  // modal box) runs now: unloading it under its own frames would crash.
  if (--pluginCallDepth_ == 0 && closePending_) PostMessageA(window_, WM_CLOSE, 0, 0);
}

void MdHost::identify() {
  nameBuffer_.fill(kNameBufferMarker);
  callExport(&PluginExports::sendDllIdName, "On_Send_Dll_ID_Name", reinterpret_cast<char*>(nameBuffer_.data()));
  identified_ = plugin_ && plugin_->exports().sendDllIdName;
}

std::span<const BYTE, MdHost::kNameBufferSize> MdHost::nameBuffer() const {
  return std::span<const BYTE, kNameBufferSize>(nameBuffer_.data(), kNameBufferSize);
}

std::string MdHost::pluginName() const {
  if (!identified_) return {};
  auto end = std::find(nameBuffer_.begin(), nameBuffer_.begin() + kNameBufferSize, 0);
  return std::string(nameBuffer_.begin(), end);
}

bool MdHost::nameOverran() const {
  return std::any_of(nameBuffer_.begin() + kNameBufferSize, nameBuffer_.end(),
                     [](BYTE b) { return b != kNameBufferMarker; });
}

void MdHost::start() {
  char unused5[MAX_PATH] = {};
  char unused6[MAX_PATH] = {};
  int result = kStartResultMarker;
  callExport(&PluginExports::start, "On_Start(dllId " + std::to_string(options_.dllId) + ")",
             GetModuleHandleA(nullptr), window_, FALSE, options_.dllId, unused5, unused6, &result);
  startResult_ = result;
}

void MdHost::selectMenuItem(UINT commandId) {
  SendMessageA(window_, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void MdHost::menuSelect(UINT commandId) {
  callExport(&PluginExports::menuSelect, "On_Menu_Select(" + std::to_string(commandId) + ")", commandId);
}

void MdHost::changeChannel(const mdapi::TChannel& channel) {
  callExport(&PluginExports::channelChange, "On_Channel_Change", channel);
}

void MdHost::filterClose() { callExport(&PluginExports::filterClose, "On_Filter_Close"); }
void MdHost::hotKey() { callExport(&PluginExports::hotKey, "On_Hot_Key"); }
void MdHost::osdKey() { callExport(&PluginExports::osdKey, "On_Osd_Key"); }
void MdHost::recPlay() { callExport(&PluginExports::recPlay, "On_Rec_Play"); }

void MdHost::close() {
  // The plug-in goes before the window: its windows may be owned by ours
  // and would otherwise be destroyed under it.
  shutDownPlugin();
  if (window_ != nullptr) DestroyWindow(window_);
}

void MdHost::shutDownPlugin() {
  if (shutDown_) return;
  shutDown_ = true;
  if (plugin_) callExport(&PluginExports::exit, "On_Exit");
  // The plug-in sends no stop at exit; its code must not run once unloaded.
  stopAllFilters();
  if (plugin_) {
    logCall(plugin_->owned() ? "FreeLibrary: plug-in unloaded" : "release: plug-in unloaded, the adopted module stays");
    plugin_->unload();
  }
}

void MdHost::stopAllFilters() {
  auto feeders = std::move(feeders_);
  feeders_.clear();
  for (auto& [id, feeder] : feeders) {
    feeder->stop();
    retiredDeliveries_ += feeder->deliveries();
  }
}

std::uint64_t MdHost::callbackCount() const {
  std::uint64_t total = retiredDeliveries_;
  for (const auto& [id, feeder] : feeders_) total += feeder->deliveries();
  return total;
}

bool MdHost::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return pumpMessagesUntil(done, timeout);
}

bool MdHost::waitForCallbacks(std::uint64_t count, std::chrono::milliseconds timeout) {
  return pumpUntil([&] { return callbackCount() >= count; }, timeout);
}

LRESULT MdHost::onStartFilter(WPARAM wParam, LPARAM lParam) {
  HostEvent event = eventOf(HostEventKind::StartFilter, wParam, lParam);
  if (lParam == 0) {
    log_.add(std::move(event));
    return 0;
  }
  auto* record = reinterpret_cast<mdapi::TStartFilterRec*>(lParam);
  event.record.emplace();
  std::memcpy(&*event.record, record, sizeof *record);
  event.runningId = nextRunningId_++;
  record->RunningId = event.runningId;
  if (options_.tsPath.empty()) {
    event.detail = "no .ts file given";
  } else {
    try {
      FeederOptions feed{options_.tsPath, options_.pace, options_.loopTs};
      feeders_[event.runningId] = std::make_unique<TsFeeder>(feed, record->Pid, record->Callback, event.runningId);
      event.feeding = true;
    } catch (const std::exception& e) {
      event.detail = e.what();
    }
  }
  LRESULT result = static_cast<LRESULT>(event.runningId);
  log_.add(std::move(event));
  return result;
}

LRESULT MdHost::onStopFilter(WPARAM wParam, LPARAM lParam) {
  HostEvent event = eventOf(HostEventKind::StopFilter, wParam, lParam);
  if (lParam == 0) {
    event.detail = "null RunningId pointer";
  } else {
    event.runningId = *reinterpret_cast<const UINT_PTR*>(lParam);
  }
  // A sender on another thread (a callback stopping its own filter) is
  // released first: joining its thread while it waits for us never ends.
  if (InSendMessage()) ReplyMessage(0);
  auto found = feeders_.find(event.runningId);
  if (found == feeders_.end()) {
    if (event.detail.empty()) event.detail = "no such filter running";
  } else {
    // Out of the map first: stop() answers sent messages, so another stop
    // may arrive while this one waits.
    std::unique_ptr<TsFeeder> feeder = std::move(found->second);
    feeders_.erase(found);
    feeder->stop();
    retiredDeliveries_ += feeder->deliveries();
  }
  log_.add(std::move(event));
  if (plugin_ && !shutDown_) filterClose();
  return 0;
}

LRESULT CALLBACK MdHost::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    // Messages arrive before CreateWindowEx returns the handle.
    static_cast<MdHost*>(create->lpCreateParams)->window_ = window;
  }
  auto* host = reinterpret_cast<MdHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (host == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    host->window_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Nothing may unwind through Windows' frames.
  try {
    return host->handle(message, wParam, lParam);
  } catch (const std::exception& e) {
    host->logProblem(e.what());
  } catch (...) {
    host->logProblem("unknown exception in the host window");
  }
  return 0;
}

LRESULT MdHost::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case mdapi::kMsgHost:
      if (wParam == mdapi::kCmdStartFilter) return onStartFilter(wParam, lParam);
      if (wParam == mdapi::kCmdStopFilter) return onStopFilter(wParam, lParam);
      log_.add(eventOf(HostEventKind::OtherMessage, wParam, lParam));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && lParam == 0 && pluginCommands_.count(LOWORD(wParam)) && !shutDown_) {
        menuSelect(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kRefreshTimer) {
        refreshView();
        return 0;
      }
      break;
    case WM_SIZE:
      if (view_) view_->layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CLOSE:
      if (options_.quitOnClose) {
        // The owner closes us after its loop ends: a plug-in's modal box
        // may be dispatching this, with plug-in frames below it.
        PostQuitMessage(0);
      } else if (pluginCallDepth_ > 0) {
        closePending_ = true;
      } else {
        close();
      }
      return 0;
    case WM_DESTROY:
      shutDownPlugin();
      KillTimer(window_, kRefreshTimer);
      return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void MdHost::refreshView() {
  if (!view_) return;
  view_->showNewEvents(log_);
  view_->setStatus("Plug-in: " + (identified_ ? pluginName() : std::string("-")) +
                   "    Filters running: " + std::to_string(feeders_.size()) +
                   "    Callbacks: " + std::to_string(callbackCount()) +
                   (options_.tsPath.empty() ? "    (no .ts file)" : "    TS: " + baseName(options_.tsPath)));
}

void MdHost::logCall(std::string what) {
  log_.add(eventOf(HostEventKind::PluginCall, 0, 0, std::move(what)));
}

void MdHost::logProblem(std::string what) {
  log_.add(eventOf(HostEventKind::Problem, 0, 0, std::move(what)));
}

}  // namespace mdhost
