#include "plugin/web_update_window.h"

namespace velq {

WebUpdateWindow::WebUpdateWindow(HINSTANCE instance) {
  Frame frame{kClassName, kCaption, 703, 568, WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW, 454, 128};
  CreateFrame(instance, frame);
}

void WebUpdateWindow::OnCreate() {
  // The timer runs from creation to unload, shown or hidden.
  SetTimer(hwnd(), kTimer1, 1000, nullptr);
}

LRESULT WebUpdateWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimer1) {
    Timer1Timer();
    return 0;
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace velq
