#include "tests/plugin/wine_gui_support.h"

#include <stdexcept>

#include "tools/mdhost/message_pump.h"

namespace velq::wine_test {

namespace {

thread_local DialogCatcher* currentCatcher = nullptr;

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControlId(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<ControlSearch*>(lp);
  if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
  search->found = hwnd;
  return FALSE;
}

std::string TextOf(HWND hwnd) {
  char buf[1024] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

std::string ClassOf(HWND hwnd) {
  char buf[64] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

// The icon a message box shows, told by the shared system icon it holds.
CapturedBox::Icon BoxIcon(HWND box) {
  HICON shown = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    // Not IsWindowVisible: the box is not shown yet when it is activated.
    if (ClassOf(child) != "Static" || !(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (shown) break;
  }
  if (!shown) return CapturedBox::Icon::None;
  struct Known {
    LPCSTR name;
    CapturedBox::Icon icon;
  };
  for (Known k : {Known{IDI_ERROR, CapturedBox::Icon::Error}, Known{IDI_WARNING, CapturedBox::Icon::Warning},
                  Known{IDI_INFORMATION, CapturedBox::Icon::Information},
                  Known{IDI_QUESTION, CapturedBox::Icon::Question}}) {
    if (LoadIconA(nullptr, k.name) == shown) return k.icon;
  }
  return CapturedBox::Icon::Other;
}

}  // namespace

std::string TestProgramFolder() {
  char exe[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe, n);
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string PluginDllPath() { return TestProgramFolder() + "VelqTpUpdater.dll"; }

HWND FindPluginWindow(const char* className) {
  for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
       w = FindWindowExA(nullptr, w, className, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

HWND FindControl(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, &MatchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ControlText(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control ? TextOf(control) : std::string();
}

RECT ControlRect(HWND window, int id) {
  RECT r{};
  HWND control = FindControl(window, id);
  if (!control) return r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ClientRectOf(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

void ClickButton(HWND window, int id) {
  HWND button = FindControl(window, id);
  if (!button) throw std::runtime_error("no button with id " + std::to_string(id));
  SendMessageA(button, BM_CLICK, 0, 0);
}

void SendButtonCommand(HWND window, int id) {
  HWND button = FindControl(window, id);
  if (!button) throw std::runtime_error("no control with id " + std::to_string(id));
  SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void SetEditText(HWND window, int id, const std::string& text) {
  HWND edit = FindControl(window, id);
  if (!edit) throw std::runtime_error("no edit box with id " + std::to_string(id));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressKey(UINT vk, bool shift) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const BYTE saved = keys[VK_SHIFT];
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  HWND focus = GetFocus();
  const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  PostMessageA(focus, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | scan << 16));
  PostMessageA(focus, WM_KEYUP, vk, static_cast<LPARAM>(1 | scan << 16 | 0xC0000000u));
  PumpPending();
  keys[VK_SHIFT] = saved;
  SetKeyboardState(keys);
}

std::vector<int> TabStops(HWND window, int presses, bool back) {
  std::vector<int> ids;
  for (int i = 0; i < presses; ++i) {
    PressKey(VK_TAB, back);
    HWND focus = GetFocus();
    ids.push_back(focus && focus != window ? GetDlgCtrlID(focus) : 0);
  }
  return ids;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return mdhost::pumpMessagesUntil(done, timeout);
}

void PumpPending() {
  PumpUntil([] { return true; }, std::chrono::milliseconds(0));
}

DialogCatcher::DialogCatcher(DialogHandler otherDialogs) : handler_(std::move(otherDialogs)) {
  hook_ = SetWindowsHookExA(WH_CBT, &DialogCatcher::HookProcedure, nullptr, GetCurrentThreadId());
  if (!hook_) throw std::runtime_error("cannot hook this thread's dialogs");
  previous_ = currentCatcher;
  currentCatcher = this;
}

DialogCatcher::~DialogCatcher() {
  UnhookWindowsHookEx(hook_);
  currentCatcher = previous_;
}

LRESULT CALLBACK DialogCatcher::HookProcedure(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && currentCatcher) {
    HWND window = reinterpret_cast<HWND>(wp);
    if (ClassOf(window) == "#32770") currentCatcher->OnActivate(window);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void DialogCatcher::OnActivate(HWND dialog) {
  // A dialog is activated again when focus comes back to it; each counts once.
  if (GetPropA(dialog, "VelqTestSeen")) return;
  SetPropA(dialog, "VelqTestSeen", reinterpret_cast<HANDLE>(1));
  HWND text = GetDlgItem(dialog, 0xFFFF);  // a message box's text
  if (text) {
    boxes_.push_back({TextOf(dialog), TextOf(text), BoxIcon(dialog)});
    PostMessageA(dialog, WM_COMMAND, GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL, 0);
    return;
  }
  ++otherDialogs_;
  if (handler_)
    handler_(dialog);
  else
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void PluginHostTest::SetUp() { host.open(PluginDllPath()); }

void PluginHostTest::TearDown() { host.close(); }

HWND PluginHostTest::ShowPluginWindow(UINT command, const char* className) {
  host.selectMenuItem(command);
  HWND window = FindPluginWindow(className);
  PumpUntil([&] { return window && IsWindowVisible(window); }, std::chrono::seconds(5));
  return window;
}

}  // namespace velq::wine_test
