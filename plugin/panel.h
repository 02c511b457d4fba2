#pragma once
// Panels and banners: plain child windows that paint themselves. A panel
// passes its children's notifications on to the window it stands in, so a
// button inside a panel is handled like any other.

#include <windows.h>

#include "plugin/controls.h"

namespace velq {

// Registers a window class of the plug-in's own for child controls that
// paint themselves, once per process.
void RegisterChildClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// A raised panel filled with `fill`.
HWND MakeRaisedPanel(HWND parent, const Place& place, int id, COLORREF fill);
// A decorative banner: a horizontal gradient with the plug-in's name.
HWND MakeBanner(HWND parent, const Place& place, int id);
// At unload.
void UnregisterPanelClasses(HINSTANCE instance);

}  // namespace velq
