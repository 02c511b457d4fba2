#pragma once
// Helpers for the tests that drive the plug-in's windows in the host simulator.

#include <gtest/gtest.h>

#include "tools/mdhost/md_host.h"  // and with it <windows.h>, <chrono>, <functional>, <string>, <vector>

namespace velq::wine_test {

// The test program's folder, with its trailing backslash, and the DLL in it.
std::string TestProgramFolder();
std::string PluginDllPath();
std::string ReadAll(const std::string& path);  // a file's bytes; empty if none
std::string Env(const char* name);            // an environment variable; empty if unset

// A top-level window of this process with that class name, or null.
HWND FindPluginWindow(const char* className);
// A control anywhere below `window` (controls may stand in panels), or null.
HWND FindControl(HWND window, int id);
std::string ControlText(HWND window, int id);
// The control's rectangle in the client coordinates of `window`.
RECT ControlRect(HWND window, int id);
RECT ClientRectOf(HWND window);

void ClickButton(HWND window, int id);
void SetEditText(HWND window, int id, const std::string& text);

// A key posted to the focused control as the keyboard queues it, so message
// hooks see it, then pumped; with `shift`, Shift is held meanwhile.
void PressKey(UINT vk, bool shift = false);
// Where `presses` Tabs (Shift+Tabs with `back`) move the focus: ids, 0 for `window`.
std::vector<int> TabStops(HWND window, int presses, bool back = false);

// Dispatches messages until `done` holds or `timeout` passes; true if it held.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(30));
void PumpPending();

struct CapturedBox {
  enum class Icon { None, Error, Warning, Information, Question, Other };
  std::string title, text;
  Icon icon = Icon::None;
};

// While alive, catches the dialogs this thread opens: message boxes are
// recorded and dismissed; others go to the handler given, or are cancelled.
class DialogCatcher {
 public:
  using DialogHandler = std::function<void(HWND dialog)>;
  explicit DialogCatcher(DialogHandler otherDialogs = {});
  ~DialogCatcher();
  DialogCatcher(const DialogCatcher&) = delete;
  DialogCatcher& operator=(const DialogCatcher&) = delete;

  const std::vector<CapturedBox>& boxes() const { return boxes_; }
  int otherDialogCount() const { return otherDialogs_; }

 private:
  static LRESULT CALLBACK HookProcedure(int code, WPARAM wp, LPARAM lp);
  void OnActivate(HWND dialog);

  HHOOK hook_ = nullptr;
  DialogHandler handler_;
  std::vector<CapturedBox> boxes_;
  int otherDialogs_ = 0;
};

// The plug-in loaded by the host simulator for each test, unloaded after.
class PluginHostTest : public testing::Test {
 protected:
  void SetUp() override { host.open(PluginDllPath()); }
  void TearDown() override { host.close(); }
  // Picks the host menu command and returns the window it shows.
  HWND ShowPluginWindow(UINT command, const char* className);

  mdhost::MdHost host;
};

}  // namespace velq::wine_test
