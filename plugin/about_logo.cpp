#include "plugin/about_logo.h"

#include "plugin/panel.h"

namespace velq {

namespace {

constexpr const char* kLogoClass = "VelqLogo";

// Selects a GDI object for the life of the scope and deletes it after.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    SelectObject(dc_, old_);
    DeleteObject(object_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ old_;
};

void PaintSky(HDC dc, const RECT& r) {
  // Night blue, lighter toward the horizon.
  const int height = r.bottom > 0 ? r.bottom : 1;
  for (int y = 0; y < r.bottom; y += 2) {
    int t = y * 60 / height;
    HBRUSH band = CreateSolidBrush(RGB(10 + t / 2, 25 + t, 80 + t));
    RECT b{0, y, r.right, y + 2};
    FillRect(dc, &b, band);
    DeleteObject(band);
  }
}

void PaintSatellite(HDC dc, int cx, int cy) {
  SelectedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(200, 210, 230)));
  SelectedObject wing(dc, CreateSolidBrush(RGB(70, 120, 200)));
  Rectangle(dc, cx - 13, cy - 2, cx - 3, cy + 3);
  Rectangle(dc, cx + 3, cy - 2, cx + 13, cy + 3);
  SelectedObject body(dc, CreateSolidBrush(RGB(230, 200, 80)));
  Rectangle(dc, cx - 3, cy - 4, cx + 4, cy + 5);
}

// Three dotted wave fronts running from the satellite down to the dish.
void PaintSignal(HDC dc, int cx, int cy) {
  SelectedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(150, 200, 255)));
  for (int reach = 10; reach <= 24; reach += 7)
    Arc(dc, cx - reach, cy - reach, cx + reach, cy + reach, cx - reach, cy + reach / 3, cx - reach / 3,
        cy + reach);
}

// A dish facing up and right: half an ellipse cut along its diagonal, its
// feed arm, and the mast it stands on.
void PaintDish(HDC dc, const RECT& box) {
  const int midX = (box.left + box.right) / 2, midY = (box.top + box.bottom) / 2;
  {
    SelectedObject pen(dc, CreatePen(PS_SOLID, 2, RGB(120, 125, 140)));
    MoveToEx(dc, midX - 2, midY + 4, nullptr);
    LineTo(dc, midX - 4, box.bottom + 6);
    MoveToEx(dc, midX - 10, box.bottom + 6, nullptr);
    LineTo(dc, midX + 3, box.bottom + 6);
  }
  {
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(245, 245, 250)));
    SelectedObject fill(dc, CreateSolidBrush(RGB(200, 205, 215)));
    Chord(dc, box.left, box.top, box.right, box.bottom, box.left, box.top, box.right, box.bottom);
  }
  SelectedObject pen(dc, CreatePen(PS_SOLID, 1, RGB(230, 230, 235)));
  MoveToEx(dc, midX, midY, nullptr);
  LineTo(dc, midX + 9, midY - 9);
  SelectedObject lnb(dc, CreateSolidBrush(RGB(60, 60, 70)));
  Ellipse(dc, midX + 7, midY - 12, midX + 12, midY - 7);
}

void PaintLogo(HDC dc, const RECT& r) {
  PaintSky(dc, r);
  const int satX = r.right - 16, satY = 11;
  PaintSignal(dc, satX, satY);
  PaintSatellite(dc, satX, satY);
  PaintDish(dc, {4, r.bottom - 30, 30, r.bottom - 8});
}

LRESULT CALLBACK LogoProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    PaintLogo(dc, r);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

HWND MakeLogo(HWND parent, const Place& place, int id) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  RegisterChildClass(instance, kLogoClass, &LogoProcedure);
  return MakeControl(parent, kLogoClass, "", 0, place, id, nullptr);
}

void UnregisterLogoClass(HINSTANCE instance) { UnregisterClassA(kLogoClass, instance); }

}  // namespace velq
