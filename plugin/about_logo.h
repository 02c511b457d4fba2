#pragma once
// The About window's logo, drawn in code: a dish under a satellite, with
// the signal between them.

#include <windows.h>

#include "plugin/controls.h"

namespace velq {

HWND MakeLogo(HWND parent, const Place& place, int id);
void UnregisterLogoClass(HINSTANCE instance);

}  // namespace velq
