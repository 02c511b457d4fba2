#include "plugin/folder_dialog.h"

#include <shlobj.h>

#include "plugin/com_apartment.h"

namespace velq {

namespace {

// Half the work area's size less half the dialog's, each half truncated
// toward zero; the work area's own origin is not added.
POINT CentredDialogOrigin(const RECT& workArea, const RECT& dialog) {
  return {(workArea.right - workArea.left) / 2 - (dialog.right - dialog.left) / 2,
          (workArea.bottom - workArea.top) / 2 - (dialog.bottom - dialog.top) / 2};
}

bool browsing = false;
HWND openDialog = nullptr;  // known from BFFM_INITIALIZED on

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM) {
  if (msg == BFFM_INITIALIZED) {
    openDialog = dialog;
    RECT workArea{};
    RECT frame{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    GetWindowRect(dialog, &frame);
    POINT origin = CentredDialogOrigin(workArea, frame);
    MoveWindow(dialog, origin.x, origin.y, frame.right - frame.left, frame.bottom - frame.top, TRUE);
  }
  return 0;
}

}  // namespace

bool RaiseOpenFolderDialog() {
  if (!browsing) return false;
  if (openDialog && IsWindow(openDialog)) SetForegroundWindow(openDialog);
  return true;
}

std::string BrowseForFolder(const char* title, UINT flags) {
  ComApartment apartment;
  char displayName[MAX_PATH + 1] = {};
  BROWSEINFOA info{};
  info.hwndOwner = nullptr;  // a plug-in has no application window to lend
  info.pszDisplayName = displayName;
  info.lpszTitle = title;
  info.ulFlags = flags;
  info.lpfn = &BrowseCallback;
  browsing = true;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);  // does not throw
  browsing = false;
  openDialog = nullptr;
  if (!item) return {};
  char path[MAX_PATH + 1] = {};
  BOOL found = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return found ? std::string(path) : std::string();
}

}  // namespace velq
