#pragma once
// The shell's folder dialog, opened centred on the screen's work area.

#include <windows.h>

#include <string>

namespace velq {

// The chosen folder's file-system path (no trailing backslash unless it is
// a drive root), or empty text when the user cancelled or the item has no
// file-system path.
// It has no owner window, so the window that asked stays usable meanwhile.
std::string BrowseForFolder(const char* title, UINT flags);
// Brings the folder dialog that is open to the front; false when none is.
bool RaiseOpenFolderDialog();

}  // namespace velq
