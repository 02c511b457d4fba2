// The nine entry points the host calls, by name, cdecl (see the .def file).

#include <cstring>

#include "plugin/host_guard.h"
#include "plugin/md_api.h"
#include "plugin/plugin_module.h"
#include "plugin/search_window.h"
#include "plugin/version.h"
#include "plugin/web_update_window.h"
#include "plugin/about_window.h"

using velq::GuardHostCall;
using velq::PluginModule;

namespace {

// The windows come to life on the host's first call, on the host's thread.
PluginModule& StartedModule() {
  PluginModule& module = PluginModule::Instance();
  module.EnsureStarted();
  return module;
}

void ShowIfThere(velq::Window* window) {
  if (window) window->ShowAndRaise();
}

}  // namespace

extern "C" {

void __cdecl On_Send_Dll_ID_Name(char* name) {
  GuardHostCall([&] {
    StartedModule();
    // Exactly the name and its terminating zero: 14 bytes, nothing beyond.
    if (name) std::memcpy(name, VELQ_PLUGIN_ID_NAME, sizeof VELQ_PLUGIN_ID_NAME);
  });
}

void __cdecl On_Start(HINSTANCE, HWND hostWnd, BOOL, UINT dllId, char*, char*, int* result) {
  GuardHostCall([&] {
    StartedModule().SetHost(hostWnd, dllId);
    if (result) *result = 0;
  });
}

void __cdecl On_Menu_Select(UINT commandId) {
  GuardHostCall([&] {
    PluginModule& module = StartedModule();
    switch (commandId & 0xFFFF) {
      case mdapi::kMenuNetworkSearch:
        ShowIfThere(module.Form1());
        break;
      case mdapi::kMenuWebUpdate:
        ShowIfThere(module.TpUpdateMainForm());
        break;
      case mdapi::kMenuAbout:
        ShowIfThere(module.Form01());
        break;
      default:
        break;
    }
  });
}

void __cdecl On_Channel_Change(mdapi::TChannel) {
  GuardHostCall([] { StartedModule(); });
}

void __cdecl On_Filter_Close() {
  GuardHostCall([] {
    if (auto* form1 = StartedModule().Form1()) form1->SetLabel2("Done please (click remove dublicated)");
  });
}

void __cdecl On_Exit() {
  GuardHostCall([] {
    // Closing the ordinary way: the window hides; the filter stays the host's.
    if (auto* form1 = StartedModule().Form1()) SendMessageA(form1->hwnd(), WM_CLOSE, 0, 0);
  });
}

void __cdecl On_Hot_Key() {
  GuardHostCall([] { StartedModule(); });
}

void __cdecl On_Osd_Key() {
  GuardHostCall([] { StartedModule(); });
}

void __cdecl On_Rec_Play() {
  GuardHostCall([] { StartedModule(); });
}

}  // extern "C"
