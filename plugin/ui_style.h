#pragma once
// Fonts and colours the windows share; made once, freed at unload.

#include <windows.h>

namespace velq {

// A font by face, pixel height and weight; the same request gives the same
// handle. All are deleted by FreeUiFonts().
HFONT UiFont(const char* face, int pixelHeight, bool bold);
void FreeUiFonts();

}  // namespace velq
