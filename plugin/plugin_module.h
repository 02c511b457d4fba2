#pragma once
// The plug-in's module-level state: what the host handed over in On_Start and
// the three windows. The windows are made on the host's first call into the
// module, on the host's thread, never under the loader lock.

#include <windows.h>

#include <memory>

namespace velq {

class SearchWindow;
class WebUpdateWindow;
class AboutWindow;

class PluginModule {
 public:
  static PluginModule& Instance();

  void SetInstance(HINSTANCE instance) { instance_ = instance; }
  HINSTANCE instance() const { return instance_; }

  // Creates the three windows, hidden, in the order Form1, TpUpdateMainForm,
  // Form01, unless done already. Safe to call from every export.
  void EnsureStarted();
  // Destroys the windows and forgets the host (module unload).
  void Shutdown();

  void SetHost(HWND hostWnd, UINT dllId) {
    HostWnd = hostWnd;
    DllId = dllId;
  }
  HWND HostWnd = nullptr;
  UINT DllId = 0;

  SearchWindow* Form1() const { return form1_.get(); }
  WebUpdateWindow* TpUpdateMainForm() const { return tpUpdateMainForm_.get(); }
  AboutWindow* Form01() const { return form01_.get(); }

 private:
  PluginModule();
  ~PluginModule();

  HINSTANCE instance_ = nullptr;
  bool started_ = false;
  std::unique_ptr<SearchWindow> form1_;
  std::unique_ptr<WebUpdateWindow> tpUpdateMainForm_;
  std::unique_ptr<AboutWindow> form01_;
};

}  // namespace velq
