#include "tools/mdhost/activity_view.h"

namespace mdhost {
namespace {

constexpr int kStatusHeight = 22;

}  // namespace

ActivityView::ActivityView(HWND parent) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  text_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                          0, 0, parent, nullptr, instance, nullptr);
  status_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, parent, nullptr,
                            instance, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The default limit (32K) would silently drop lines of a long session.
  SendMessageA(text_, EM_SETLIMITTEXT, 0, 0);
  RECT client;
  GetClientRect(parent, &client);
  layout(client.right, client.bottom);
}

void ActivityView::showNewEvents(const HostEventLog& log) {
  std::string lines;
  for (const HostEvent& event : log.since(shown_)) {
    lines += describe(event) + "\r\n";
    ++shown_;
  }
  if (lines.empty()) return;
  int end = GetWindowTextLengthA(text_);
  SendMessageA(text_, EM_SETSEL, end, end);
  SendMessageA(text_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(lines.c_str()));
}

void ActivityView::setStatus(const std::string& text) {
  if (text == statusText_) return;  // no flicker from a refresh that changes nothing
  statusText_ = text;
  SetWindowTextA(status_, text.c_str());
}

void ActivityView::layout(int width, int height) {
  int textHeight = height > kStatusHeight ? height - kStatusHeight : 0;
  MoveWindow(text_, 0, 0, width, textHeight, TRUE);
  MoveWindow(status_, 4, textHeight + 3, width > 4 ? width - 4 : 0, kStatusHeight - 3, TRUE);
}

}  // namespace mdhost
