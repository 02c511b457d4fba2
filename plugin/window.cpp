#include "plugin/window.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace velq {

namespace {
std::vector<std::string>& RegisteredClasses() {
  static std::vector<std::string> classes;
  return classes;
}
}  // namespace

Window::~Window() { Destroy(); }

void Window::Destroy() {
  if (hwnd_) {
    HWND h = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
  }
}

void Window::ShowAndRaise() {
  if (!hwnd_) return;
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);
  BringWindowToTop(hwnd_);
  SetForegroundWindow(hwnd_);
}

void Window::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Window::CreateFrame(HINSTANCE instance, const Frame& frame) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(instance, frame.className, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = frame.background ? frame.background
                                        : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = frame.className;
    if (!RegisterClassExA(&wc)) throw std::runtime_error("cannot register window class");
    RegisteredClasses().emplace_back(frame.className);
  }
  RECT r{0, 0, frame.clientWidth, frame.clientHeight};
  AdjustWindowRectEx(&r, frame.style, FALSE, frame.exStyle);
  hwnd_ = CreateWindowExA(frame.exStyle, frame.className, frame.caption, frame.style, frame.x,
                          frame.y, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance,
                          this);
  if (!hwnd_) throw std::runtime_error("cannot create window");
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {  // closing only hides; the window lives until unload
    Hide();
    return 0;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void Window::OnDialogKey(int id) {
  if (id == IDCANCEL) {  // Escape: what the close box does
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    return;
  }
  // Enter presses the focused button, and only a button.
  HWND focus = GetFocus();
  const auto code = SendMessageA(focus, WM_GETDLGCODE, 0, 0);
  if (IsChild(hwnd_, focus) && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus))
    SendMessageA(focus, BM_CLICK, 0, 0);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // No exception may reach the host's message loop.
  try {
    if (msg == WM_CREATE) {
      self->OnCreate();
      return 0;
    }
    // The dialog keys' IsDialogMessage sends Escape as IDCANCEL and Enter as
    // IDOK, from no control; no control or menu item here has either id.
    if (msg == WM_COMMAND && lp == 0 && HIWORD(wp) == 0 && (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK)) {
      self->OnDialogKey(LOWORD(wp));
      return 0;
    }
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    if (msg == WM_CREATE) return -1;  // a half-built window is not created
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

bool PlaceOver(HWND window, HWND over) {
  if (!over || !IsWindow(over) || IsIconic(over)) return false;
  RECT host{}, own{};
  GetWindowRect(over, &host);
  GetWindowRect(window, &own);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = own.right - own.left, height = own.bottom - own.top;
  int x = host.left + ((host.right - host.left) - width) / 2;
  int y = host.top + ((host.bottom - host.top) - height) / 2;
  // The caption stays reachable: right and bottom edges first, then left and top.
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void UnregisterWindowClasses(HINSTANCE instance) {
  for (const auto& name : RegisteredClasses()) UnregisterClassA(name.c_str(), instance);
  RegisteredClasses().clear();
}

}  // namespace velq
