// The About window of the real plug-in, shown as the host shows it; its links
// open a recorder in place of the mail program and the browser.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>
#include <tuple>

#include "plugin/about_window.h"
#include "plugin/web_update_window.h"
#include "tests/plugin/wine_gui_support.h"

namespace {

using velq::AboutWindow;
using namespace velq::wine_test;

// The recorder: this program run as `--record-link FILE TARGET` writes TARGET to FILE and ends.
const bool kIsRecorder = [] {
  if (__argc != 4 || std::string(__argv[1]) != "--record-link") return false;
  std::ofstream(__argv[2]) << __argv[3] << '\n';
  ExitProcess(0);
}();

// Sets the shell's open command of a URL scheme for a while. Wine reads it
// from the machine's classes (where winebrowser stands), not the user's.
struct OpenCommandOf {
  OpenCommandOf(const std::string& scheme, const std::string& command) : key(scheme + "\\shell\\open\\command") {
    DWORD size = sizeof previous;
    RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, previous, &size);
    Set(command.c_str());
  }
  ~OpenCommandOf() { Set(previous); }
  void Set(const char* command) {
    RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, command, std::strlen(command) + 1);
  }
  std::string key;
  char previous[1024] = {};
};

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)); }

// A label sizes itself to its text in its own font, whatever face Wine puts in
// for Tahoma: never narrower (the whole text shows), at most a few pixels wider.
int TextWidthInOwnFont(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, FontOf(control));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

class AboutWindowTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    about = ShowPluginWindow(40068, AboutWindow::kClassName);
    ASSERT_NE(nullptr, about);
  }
  HWND about = nullptr;
};

TEST_F(AboutWindowTest, ShowsItsTextsAtTheirPlaces) {
  struct Line { int id, left, top; const char* text; };  // left and top in the panel
  const Line lines[] = {
      {AboutWindow::kLabel1, 8, 8, "Velq Transponders Updater ver 2.22"},
      {AboutWindow::kLabel2, 16, 32, "- This plugin is for MD applications."},
      {AboutWindow::kLabel3, 16, 52, "- Many thanks to Ilse Varnholt and Omar Quessant"},
      {AboutWindow::kLabel4, 16, 72, "- It is free for all."},
      {AboutWindow::kLabel5, 16, 92,
       "- You can update 57 TP files with single click within your app in just a few seconds."},
      {AboutWindow::kLabel10, 16, 111,
       "(NEW) Network Search can now be used with StarHarbor TV and any other MD-API application "},
      {AboutWindow::kLabel7, 16, 154, "- A peace message from EGYPT and Arab world to the entire world"},
      {AboutWindow::kLabel9, 8, 174, "With my Best wishes"},
      {AboutWindow::kLabel15, 8, 193, "Nadim Sorrel"},
      {AboutWindow::kLabel17, 123, 193, "Home Page"},
  };
  for (const Line& line : lines) {
    SCOPED_TRACE(line.text);
    EXPECT_EQ(line.text, ControlText(about, line.id));
    EXPECT_EQ(5 + line.left, ControlRect(about, line.id).left);  // the panel stands at 5, 24
    EXPECT_EQ(24 + line.top, ControlRect(about, line.id).top);
    const RECT r = ControlRect(about, line.id);
    const int textWidth = TextWidthInOwnFont(FindControl(about, line.id), line.text);
    EXPECT_GE(r.right - r.left, textWidth);
    EXPECT_LE(r.right - r.left, textWidth + 10);
  }
}

TEST_F(AboutWindowTest, IsAFixedToolWindowThatClosingOnlyHides) {
  EXPECT_EQ(501, ClientRectOf(about).right);  // caption and tool-window frame: HostContract
  EXPECT_EQ(260, ClientRectOf(about).bottom);
  EXPECT_FALSE(GetWindowLongA(about, GWL_STYLE) & WS_THICKFRAME);
  // The title in bold Tahoma 13 px, the lines in 11 px, the mail link bold.
  for (auto [id, height, weight] : {std::tuple{AboutWindow::kLabel1, -13, FW_BOLD},
                                    {AboutWindow::kLabel2, -11, FW_NORMAL}, {AboutWindow::kLabel15, -11, FW_BOLD}}) {
    LOGFONTA font{};
    GetObjectA(FontOf(FindControl(about, id)), sizeof font, &font);
    EXPECT_STREQ("Tahoma", font.lfFaceName);
    EXPECT_EQ(height, font.lfHeight);
    EXPECT_EQ(weight, font.lfWeight);
  }
  SendMessageA(about, WM_CLOSE, 0, 0);  // only hidden: the menu item below shows this same window again

  // The web update window's menu item "About" shows it again.
  HWND web = ShowPluginWindow(40066, velq::WebUpdateWindow::kClassName);
  char item[16] = {};
  GetMenuStringA(GetMenu(web), velq::WebUpdateWindow::kAboutTpUpdate, item, sizeof item, MF_BYCOMMAND);
  EXPECT_STREQ("About", item);
  SendMessageA(web, WM_COMMAND, velq::WebUpdateWindow::kAboutTpUpdate, 0);
  EXPECT_TRUE(IsWindowVisible(about));
}

TEST_F(AboutWindowTest, LinksOpenTheMailAndTheHomePageThroughTheShell) {
  char exe[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  const std::string record = temp + std::string("velq-link-") + std::to_string(GetCurrentProcessId());
  const std::string recorder = '"' + std::string(exe) + "\" --record-link \"" + record + "\" \"%1\"";
  OpenCommandOf mail("mailto", recorder), web("https", recorder), plainWeb("http", recorder);
  for (auto [label, target] : {std::pair{AboutWindow::kLabel15, "mailto: nadim.sorrel@velq.example"},
                               std::pair{AboutWindow::kLabel17, "https://www.velq.example/tp-updater"}}) {
    SCOPED_TRACE(target);
    DeleteFileA(record.c_str());
    SendMessageA(FindControl(about, label), WM_LBUTTONDOWN, MK_LBUTTON, 0);  // a label's click
    std::string recorded;
    const auto done = [&] { std::ifstream in(record); return std::getline(in, recorded) && !in.eof(); };  // a whole line
    EXPECT_TRUE(PumpUntil(done, std::chrono::seconds(30))) << "the shell started no recorder";
    EXPECT_EQ(target, recorded);
  }
  DeleteFileA(record.c_str());
}

}  // namespace
