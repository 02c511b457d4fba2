#pragma once
// Tab, Shift+Tab, arrows and the other dialog keys in the plug-in's windows.
// The host runs the message loop and never calls IsDialogMessage for our
// windows, so a WH_GETMESSAGE hook on the GUI thread hands it their dialog
// keys (Tab, arrows, Enter, Escape). It lives from the windows' creation to
// the module's unload.

#include <windows.h>

#include <initializer_list>

namespace velq {

// Hooks the calling thread, which owns `windows` (nulls are skipped).
// Calling it again replaces the windows and keeps the one hook.
void InstallDialogKeys(std::initializer_list<HWND> windows);
// Unhooks; nothing of the plug-in stays in the host's message loop.
void RemoveDialogKeys();

// While alive, the hook is off (the windows stay known). Wine's synchronous
// URL download waits for its completion message in a loop of its own and,
// with a WH_GETMESSAGE hook on the thread, now and then waits forever; a
// download needs no dialog keys.
class DialogKeysPause {
 public:
  DialogKeysPause();
  ~DialogKeysPause();
  DialogKeysPause(const DialogKeysPause&) = delete;
  DialogKeysPause& operator=(const DialogKeysPause&) = delete;

 private:
  bool wasOn_;
};

}  // namespace velq
