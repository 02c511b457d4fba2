#include "plugin/controls.h"

#include <vector>

namespace velq {

HWND MakeControl(HWND parent, const char* cls, const char* text, DWORD style, const Place& place,
                 int id, HFONT font, DWORD exStyle) {
  HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, place.left,
                           place.top, place.width, place.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                           nullptr);
  if (h && font) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

HWND MakeButton(HWND parent, const char* text, const Place& place, int id, HFONT font) {
  return MakeControl(parent, "BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, place, id, font);
}

HWND MakeLabel(HWND parent, const char* text, int left, int top, int id, HFONT font) {
  HWND h = MakeControl(parent, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {left, top, 0, 0}, id, font);
  SetLabelText(h, text);
  return h;
}

HWND MakePanel(HWND parent, const Place& place, int id) {
  return MakeControl(parent, "STATIC", "", SS_NOTIFY, place, id, nullptr, WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME);
}

std::string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  int got = GetWindowTextA(hwnd, buf.data(), n + 1);
  return std::string(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void SetLabelText(HWND label, const std::string& text) {
  if (!label) return;
  SetWindowTextA(label, text.c_str());
  // Measured as the label draws it; a pixel to spare keeps the last letter
  // whole where the substitute fonts round differently.
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  const int width = text.empty() ? 0 : r.right + 2;
  SetWindowPos(label, nullptr, 0, 0, width, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velq
