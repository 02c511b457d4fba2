#pragma once
// The shell's folder dialog, opened centred on the screen's work area.

#include <windows.h>

#include <string>

namespace velq {

// The chosen folder's file-system path (no trailing backslash unless it is
// a drive root), or empty text when the user cancelled or the item has no
// file-system path.
std::string BrowseForFolder(HWND owner, const char* title, UINT flags);

}  // namespace velq
