#include "plugin/plugin_module.h"

#include <commctrl.h>

#include "plugin/about_window.h"
#include "plugin/dialog_keys.h"
#include "plugin/panel.h"
#include "plugin/search_window.h"
#include "plugin/urlmon_downloader.h"
#include "plugin/web_update_window.h"
#include "plugin/window.h"

namespace velq {

PluginModule& PluginModule::Instance() {
  static PluginModule module;
  return module;
}

PluginModule::PluginModule() = default;
PluginModule::~PluginModule() = default;

void PluginModule::EnsureStarted() {
  if (started_) return;
  started_ = true;  // once only, even when a window fails to build
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // A window whose construction fails stays empty; the others still come.
  try {
    form1_ = std::make_unique<SearchWindow>(instance_);
  } catch (...) {
    form1_.reset();
  }
  try {
    tpUpdateMainForm_ = std::make_unique<WebUpdateWindow>(instance_);
  } catch (...) {
    tpUpdateMainForm_.reset();
  }
  try {
    form01_ = std::make_unique<AboutWindow>(instance_);
  } catch (...) {
    form01_.reset();
  }
  InstallDialogKeys({form1_ ? form1_->hwnd() : nullptr,
                     tpUpdateMainForm_ ? tpUpdateMainForm_->hwnd() : nullptr,
                     form01_ ? form01_->hwnd() : nullptr});
}

void PluginModule::Shutdown() {
  RemoveDialogKeys();
  form01_.reset();
  tpUpdateMainForm_.reset();
  form1_.reset();
  UnregisterWindowClasses(instance_);
  UnregisterPanelClasses(instance_);
  ReleaseUrlmon();
  HostWnd = nullptr;
  DllId = 0;
  started_ = false;
}

}  // namespace velq
