#include "plugin/dialog_keys.h"

#include <algorithm>
#include <array>

namespace velq {

namespace {

HHOOK hook = nullptr;
std::array<HWND, 3> ourWindows{};

// The keys a dialog moves and answers with. Every other key goes its usual
// way through the host's loop, so the host's own shortcuts keep working
// while one of our windows has the focus.
bool IsDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  switch (msg.wParam) {
    case VK_TAB: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_RETURN: case VK_ESCAPE:
      return true;
  }
  return false;
}

bool IsOurs(HWND root) {
  return root && std::find(ourWindows.begin(), ourWindows.end(), root) != ourWindows.end();
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removed, LPARAM lp) {
  if (code == HC_ACTION && removed == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    if (IsDialogKey(*msg) && msg->hwnd) {
      HWND root = GetAncestor(msg->hwnd, GA_ROOT);
      // IsDialogMessage dispatches what it takes; the host's loop must then
      // see nothing, and a hook cannot refuse a message but turn it into
      // WM_NULL.
      if (IsOurs(root) && IsDialogMessageA(root, msg)) {
        msg->message = WM_NULL;
        msg->wParam = 0;
        msg->lParam = 0;
      }
    }
  }
  return CallNextHookEx(hook, code, removed, lp);
}

}  // namespace

void InstallDialogKeys(std::initializer_list<HWND> windows) {
  ourWindows.fill(nullptr);
  std::copy_n(windows.begin(), std::min(windows.size(), ourWindows.size()), ourWindows.begin());
  if (!hook) hook = SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
}

DialogKeysPause::DialogKeysPause() : wasOn_(hook != nullptr) {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
}

DialogKeysPause::~DialogKeysPause() {
  // Not when the module went away meanwhile (the windows are gone then).
  const bool windowsKnown =
      std::any_of(ourWindows.begin(), ourWindows.end(), [](HWND w) { return w != nullptr; });
  if (wasOn_ && !hook && windowsKnown)
    hook = SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
}

void RemoveDialogKeys() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
  ourWindows.fill(nullptr);
}

}  // namespace velq
