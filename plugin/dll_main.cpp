// Load and unload. Nothing here creates a window or loads a library: both are
// unsafe under the loader lock, so the windows wait for the host's first call.

#include <windows.h>

#include "plugin/host_guard.h"
#include "plugin/plugin_module.h"
#include "plugin/ui_style.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      velq::PluginModule::Instance().SetInstance(instance);
      break;
    case DLL_PROCESS_DETACH:
      // On FreeLibrary (reserved is null) the windows go with the module; at
      // process exit the system reclaims everything and other threads are gone.
      if (reserved == nullptr) {
        velq::GuardHostCall([] {
          velq::PluginModule::Instance().Shutdown();
          velq::FreeUiFonts();
        });
      }
      break;
  }
  return TRUE;
}
