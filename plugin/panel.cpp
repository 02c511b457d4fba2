#include "plugin/panel.h"

namespace velq {

namespace {

constexpr const char* kPanelClass = "VelqPanel";
constexpr const char* kBannerClass = "VelqBanner";

LRESULT CALLBACK PanelProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_VSCROLL:
      return SendMessageA(GetParent(hwnd), msg, wp, lp);
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
      FillRect(reinterpret_cast<HDC>(wp), &r, fill);
      DeleteObject(fill);
      DrawEdge(reinterpret_cast<HDC>(wp), &r, EDGE_RAISED, BF_RECT);
      return 1;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK BannerProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    // Deep blue fading to the search window's blue-grey, in vertical bands.
    const int width = r.right > 0 ? r.right : 1;
    for (int x = 0; x < width; x += 4) {
      int t = x * 255 / width;
      HBRUSH band = CreateSolidBrush(RGB(20 + t * 119 / 255, 40 + t * 116 / 255, 110 + t * 91 / 255));
      RECT b{x, 0, x + 4, r.bottom};
      FillRect(dc, &b, band);
      DeleteObject(band);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
    RECT text = r;
    text.left += 16;
    DrawTextA(dc, "Velq Transponders Updater", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_SETFONT) {
    SetPropA(hwnd, "VelqFont", reinterpret_cast<HANDLE>(wp));
    return 0;
  }
  if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(GetPropA(hwnd, "VelqFont"));
  if (msg == WM_NCDESTROY) RemovePropA(hwnd, "VelqFont");
  return DefWindowProcA(hwnd, msg, wp, lp);
}


HINSTANCE InstanceOf(HWND parent) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
}

}  // namespace

void RegisterChildClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, name, &wc)) return;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

HWND MakeRaisedPanel(HWND parent, const Place& place, int id, COLORREF fill) {
  RegisterChildClass(InstanceOf(parent), kPanelClass, &PanelProcedure);
  HWND h = MakeControl(parent, kPanelClass, "", WS_CLIPCHILDREN, place, id, nullptr,
                       WS_EX_CONTROLPARENT);
  if (h) SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(fill));
  return h;
}

HWND MakeBanner(HWND parent, const Place& place, int id) {
  RegisterChildClass(InstanceOf(parent), kBannerClass, &BannerProcedure);
  return MakeControl(parent, kBannerClass, "", 0, place, id, nullptr);
}

void UnregisterPanelClasses(HINSTANCE instance) {
  UnregisterClassA(kPanelClass, instance);
  UnregisterClassA(kBannerClass, instance);
}

}  // namespace velq
