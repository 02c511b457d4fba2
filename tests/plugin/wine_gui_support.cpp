#include "tests/plugin/wine_gui_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/mdhost/message_pump.h"

namespace velq::wine_test {

namespace {

thread_local DialogCatcher* currentCatcher = nullptr;

std::string TextOf(HWND hwnd, bool className = false) {
  char buf[1024] = {};
  className ? GetClassNameA(hwnd, buf, sizeof buf) : GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

// The icon a message box shows (its icon control is 0x440 in Wine's box),
// told by the shared system icon it holds.
CapturedBox::Icon BoxIcon(HWND box) {
  using Icon = CapturedBox::Icon;
  HWND control = GetDlgItem(box, 0x440);
  const auto shown = reinterpret_cast<HICON>(control ? SendMessageA(control, STM_GETICON, 0, 0) : 0);
  // The style, not IsWindowVisible: the box is not shown yet when it is activated.
  if (!shown || !(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE)) return Icon::None;
  const std::pair<LPCSTR, Icon> known[] = {{IDI_ERROR, Icon::Error}, {IDI_WARNING, Icon::Warning},
                                           {IDI_INFORMATION, Icon::Information}, {IDI_QUESTION, Icon::Question}};
  for (const auto& [name, icon] : known)
    if (LoadIconA(nullptr, name) == shown) return icon;
  return Icon::Other;
}

}  // namespace

std::string TestProgramFolder() {
  char exe[MAX_PATH] = {};
  std::string path(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string PluginDllPath() { return TestProgramFolder() + "VelqTpUpdater.dll"; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

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
  if (HWND direct = GetDlgItem(window, id)) return direct;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HWND below = FindControl(child, id)) return below;
  return nullptr;
}

std::string ControlText(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control ? TextOf(control) : std::string();
}

RECT ControlRect(HWND window, int id) {
  RECT r{};
  if (HWND control = FindControl(window, id)) {
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

RECT ClientRectOf(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

void ClickButton(HWND window, int id) { SendMessageA(FindControl(window, id), BM_CLICK, 0, 0); }

void SetEditText(HWND window, int id, const std::string& text) {
  SendMessageA(FindControl(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressKey(UINT vk, bool shift) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(GetFocus(), WM_KEYUP, vk, 1 | scan | 0xC0000000u);
  PumpPending();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

std::vector<int> TabStops(HWND window, int presses, bool back) {
  std::vector<int> ids;
  for (int i = 0; i < presses; ++i) {
    PressKey(VK_TAB, back);
    ids.push_back(GetFocus() == window ? 0 : GetDlgCtrlID(GetFocus()));
  }
  return ids;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return mdhost::pumpMessagesUntil(done, timeout);
}

void PumpPending() { PumpUntil([] { return true; }, std::chrono::milliseconds(0)); }

DialogCatcher::DialogCatcher(DialogHandler otherDialogs) : handler_(std::move(otherDialogs)) {
  hook_ = SetWindowsHookExA(WH_CBT, &DialogCatcher::HookProcedure, nullptr, GetCurrentThreadId());
  if (!hook_) throw std::runtime_error("cannot hook this thread's dialogs");
  currentCatcher = this;  // one at a time
}

DialogCatcher::~DialogCatcher() {
  UnhookWindowsHookEx(hook_);
  currentCatcher = nullptr;
}

LRESULT CALLBACK DialogCatcher::HookProcedure(int code, WPARAM wp, LPARAM lp) {
  HWND window = reinterpret_cast<HWND>(wp);
  if (code == HCBT_ACTIVATE && currentCatcher && TextOf(window, true) == "#32770") currentCatcher->OnActivate(window);
  return CallNextHookEx(nullptr, code, wp, lp);
}

void DialogCatcher::OnActivate(HWND dialog) {
  // A dialog is activated again when focus comes back to it; each counts once.
  if (GetPropA(dialog, "VelqTestSeen")) return;
  SetPropA(dialog, "VelqTestSeen", reinterpret_cast<HANDLE>(1));
  HWND text = GetDlgItem(dialog, 0xFFFF);  // a message box's text
  if (text)
    boxes_.push_back({TextOf(dialog), TextOf(text), BoxIcon(dialog)});
  else if (++otherDialogs_; handler_)
    return handler_(dialog);
  PostMessageA(dialog, WM_COMMAND, text && GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL, 0);
}

HWND PluginHostTest::ShowPluginWindow(UINT command, const char* className) {
  host.selectMenuItem(command);
  HWND window = FindPluginWindow(className);
  PumpUntil([&] { return window && IsWindowVisible(window); });
  return window;
}

}  // namespace velq::wine_test
