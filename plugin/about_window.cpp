#include "plugin/about_window.h"

namespace velq {

AboutWindow::AboutWindow(HINSTANCE instance) {
  Frame frame{kClassName, kCaption, 501, 260, WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW, 0, 0};
  CreateFrame(instance, frame);
}

}  // namespace velq
