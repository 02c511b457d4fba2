#pragma once
// Panels and banners: plain child windows that paint themselves. A panel
// passes its children's notifications on to the window it stands in, so a
// button inside a panel is handled like any other.

#include <windows.h>

#include "plugin/controls.h"

namespace velq {

// A raised panel filled with `fill`.
HWND MakeRaisedPanel(HWND parent, const Place& place, int id, COLORREF fill);
// A decorative banner: a horizontal gradient with the plug-in's name.
HWND MakeBanner(HWND parent, const Place& place, int id);
// At unload.
void UnregisterPanelClasses(HINSTANCE instance);

}  // namespace velq
