#include "plugin/search_window.h"

#include "plugin/controls.h"
#include "plugin/ui_style.h"

namespace velq {

namespace {
constexpr COLORREF kBackground = RGB(139, 156, 201);
}

SearchWindow::SearchWindow(HINSTANCE instance) : background_(CreateSolidBrush(kBackground)) {
  Frame frame{kClassName, kCaption, 496, 408, WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST};
  frame.background = background_;
  CreateFrame(instance, frame);
}

SearchWindow::~SearchWindow() {
  Destroy();
  if (background_) DeleteObject(background_);
}

void SearchWindow::OnCreate() {
  HFONT plain = UiFont("Tahoma", 13, false);
  label2_ = MakeLabel(hwnd(), "", 3, 275, kLabel2, plain);
  label3_ = MakeLabel(hwnd(), "", 3, 329, kLabel3, plain);
  label1_ = MakeLabel(hwnd(), "", 3, 351, kLabel1, plain);
  FormCreate();
}

void SearchWindow::FormCreate() {
  SetLabelText(label1_, "");
  SetLabelText(label2_, "");
  SetLabelText(label3_, "");
}

void SearchWindow::SetLabel2(const std::string& text) { SetLabelText(label2_, text); }

LRESULT SearchWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp) SetWindowTextA(hwnd(), kCaption);  // FormShow
      break;
    case WM_CTLCOLORSTATIC: {  // labels: black text on the window's colour
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, kBackground);
      return reinterpret_cast<LRESULT>(background_);
    }
  }
  (void)lp;
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace velq
