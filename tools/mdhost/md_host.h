#pragma once
// An MD-API host in miniature: one window that loads a plug-in, merges its
// menu, answers its section-filter messages from a .ts file, and records
// everything for tests and for people.
//
// Thread rule: create and use an MdHost on one GUI thread; only the log
// (log()) may be read from other threads. Plug-in callbacks run on feeder
// threads of the host's own.

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "plugin/md_api.h"
#include "tools/mdhost/host_event_log.h"
#include "tools/mdhost/menu_template.h"
#include "tools/mdhost/plugin_library.h"

namespace mdhost {

class ActivityView;
class TsFeeder;

struct HostOptions {
  std::string tsPath;                 // empty: filters start, nothing is delivered
  std::chrono::milliseconds pace{1};  // pause after each payload; 0 for tests
  bool loopTs = true;
  UINT dllId = 7;                     // On_Start's fourth argument
  bool visible = false;               // a window for people: text area and status line
  bool quitOnClose = false;           // the close box posts WM_QUIT; the owner calls close() after its loop
};

class MdHost {
 public:
  static constexpr std::size_t kNameBufferSize = 64;
  static constexpr BYTE kNameBufferMarker = 0xCC;
  static constexpr int kStartResultMarker = 0x55AA55AA;
  static constexpr const char* kWindowClass = "MdHostWindow";

  explicit MdHost(HostOptions options = {});
  ~MdHost();  // close()
  MdHost(const MdHost&) = delete;
  MdHost& operator=(const MdHost&) = delete;

  HWND window() const { return window_; }
  // The .ts file, pace and looping apply to filters started afterwards.
  HostOptions& options() { return options_; }

  // What a host does with a plug-in file: load it, attach it, identify()
  // and start(). Throws std::runtime_error if the file cannot be loaded.
  void open(const std::string& dllPath);
  // Takes the module, reads its EXTERN menu and merges it into "Plugins".
  // A bad menu resource is logged as a Problem, not thrown.
  void attach(std::unique_ptr<PluginLibrary> plugin);
  PluginLibrary* plugin() const { return plugin_.get(); }
  const std::vector<MenuTemplateItem>& menuItems() const { return menuItems_; }
  HMENU pluginsMenu() const { return pluginsMenu_; }

  // On_Send_Dll_ID_Name into a buffer pre-filled with kNameBufferMarker.
  void identify();
  std::span<const BYTE, kNameBufferSize> nameBuffer() const;
  std::string pluginName() const;  // up to the first zero within the buffer; empty before identify()
  bool nameOverran() const;        // the plug-in wrote past kNameBufferSize bytes

  // On_Start(instance, window(), FALSE, dllId, "", "", &result) with result
  // pre-set to kStartResultMarker.
  void start();
  int startResult() const { return startResult_; }

  // A person's pick: WM_COMMAND to the window; only merged ids reach
  // On_Menu_Select.
  void selectMenuItem(UINT commandId);
  // Direct calls of the other exports, any argument (logged as calls).
  void menuSelect(UINT commandId);
  void changeChannel(const mdapi::TChannel& channel);
  void filterClose();
  void hotKey();
  void osdKey();
  void recPlay();

  // On_Exit, then the running filters are stopped, then FreeLibrary, then
  // the window goes. Idempotent. The window's close box does the same once
  // no export call is on the stack, or with quitOnClose ends the owner's
  // message loop instead.
  void close();
  bool closed() const { return shutDown_; }

  const HostEventLog& log() const { return log_; }
  std::vector<HostEvent> events() const { return log_.snapshot(); }
  std::uint64_t callbackCount() const;  // payloads delivered, all filters so far
  std::size_t runningFilters() const { return feeders_.size(); }

  // Pump messages until DONE holds or TIMEOUT passes; true if it held.
  bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  bool waitForCallbacks(std::uint64_t count, std::chrono::milliseconds timeout);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onStartFilter(WPARAM wParam, LPARAM lParam);
  LRESULT onStopFilter(WPARAM wParam, LPARAM lParam);
  void mergeMenu(HMENU into, const std::vector<MenuTemplateItem>& items);
  void stopAllFilters();
  void shutDownPlugin();
  // Calls one export and logs CALL; a missing export is logged instead.
  template <typename Fn, typename... Args>
  void callExport(Fn PluginExports::*slot, const std::string& call, Args&&... args);
  void logCall(std::string what);
  void logProblem(std::string what);
  void refreshView();

  HostOptions options_;
  HWND window_ = nullptr;
  HMENU pluginsMenu_ = nullptr;
  std::unique_ptr<ActivityView> view_;
  std::unique_ptr<PluginLibrary> plugin_;
  std::vector<MenuTemplateItem> menuItems_;
  std::set<UINT> pluginCommands_;
  std::array<BYTE, kNameBufferSize * 4> nameBuffer_{};  // the rest catches overruns
  bool identified_ = false;
  int startResult_ = kStartResultMarker;
  std::map<UINT_PTR, std::unique_ptr<TsFeeder>> feeders_;
  UINT_PTR nextRunningId_ = 1;
  std::uint64_t retiredDeliveries_ = 0;
  bool shutDown_ = false;
  int pluginCallDepth_ = 0;  // exports on the stack right now
  bool closePending_ = false;
  HostEventLog log_;
};

}  // namespace mdhost
