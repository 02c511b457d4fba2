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

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM) {
  if (msg == BFFM_INITIALIZED) {
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

std::string BrowseForFolder(HWND owner, const char* title, UINT flags) {
  ComApartment apartment;
  char displayName[MAX_PATH + 1] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = title;
  info.ulFlags = flags;
  info.lpfn = &BrowseCallback;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
  if (!item) return {};
  char path[MAX_PATH + 1] = {};
  BOOL found = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return found ? std::string(path) : std::string();
}

}  // namespace velq
