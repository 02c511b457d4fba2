// The About window in the real plug-in, shown the way the host shows it.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "plugin/about_window.h"
#include "plugin/web_update_window.h"
#include "tests/plugin/wine_gui_support.h"

namespace {

using velq::AboutWindow;
using namespace velq::wine_test;

constexpr UINT kAboutCommand = 40068;
constexpr UINT kWebUpdateCommand = 40066;

LOGFONTA FontOf(HWND window, int id) {
  LOGFONTA font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageA(FindControl(window, id), WM_GETFONT, 0, 0));
  GetObjectA(handle, sizeof font, &font);
  return font;
}

// The width of a control's text in the control's own font: what a label that
// sizes itself to its text must show, whatever face Wine substitutes.
int TextWidthInOwnFont(HWND window, int id) {
  HWND control = FindControl(window, id);
  std::string text = ControlText(window, id);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

// A label may be a few pixels wider than its text (room for the last glyph's
// overhang), never narrower.
constexpr int kLabelSlackMax = 10;

class AboutWindowTest : public PluginHostTest {};

TEST_F(AboutWindowTest, ShowsItsTextsInOrderAtTheirPlaces) {
  HWND about = ShowPluginWindow(kAboutCommand, AboutWindow::kClassName);
  ASSERT_NE(nullptr, about);
  struct Line {
    int id;
    int left, top;  // in the panel
    const char* text;
  };
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
  const RECT panel = ControlRect(about, AboutWindow::kPanel1);
  EXPECT_EQ(5, panel.left);
  EXPECT_EQ(24, panel.top);
  for (const Line& line : lines) {
    SCOPED_TRACE(line.text);
    EXPECT_EQ(line.text, ControlText(about, line.id));
    RECT r = ControlRect(about, line.id);
    EXPECT_EQ(panel.left + line.left, r.left);
    EXPECT_EQ(panel.top + line.top, r.top);
    // As wide as its text in its own font. Whether the text also fits the
    // window depends on the face: Tahoma's metrics make it fit, the faces
    // Wine substitutes for it (DejaVu Sans, Wine's own Tahoma) are wider.
    const int textWidth = TextWidthInOwnFont(about, line.id);
    EXPECT_GT(textWidth, 0);
    EXPECT_GE(r.right - r.left, textWidth) << "the whole text shows";
    EXPECT_LE(r.right - r.left, textWidth + kLabelSlackMax) << "the label sizes itself to its text";
  }
}

TEST_F(AboutWindowTest, IsAFixedToolWindowWithItsFonts) {
  HWND about = ShowPluginWindow(kAboutCommand, AboutWindow::kClassName);
  ASSERT_NE(nullptr, about);
  char caption[32] = {};
  GetWindowTextA(about, caption, sizeof caption);
  EXPECT_STREQ("About", caption);
  RECT client = ClientRectOf(about);
  EXPECT_EQ(501, client.right);
  EXPECT_EQ(260, client.bottom);
  EXPECT_TRUE(GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongA(about, GWL_STYLE) & WS_THICKFRAME);

  LOGFONTA title = FontOf(about, AboutWindow::kLabel1);
  EXPECT_STREQ("Tahoma", title.lfFaceName);
  EXPECT_EQ(-13, title.lfHeight);
  EXPECT_EQ(FW_BOLD, title.lfWeight);
  LOGFONTA text = FontOf(about, AboutWindow::kLabel2);
  EXPECT_EQ(-11, text.lfHeight);
  EXPECT_EQ(FW_NORMAL, text.lfWeight);
  EXPECT_EQ(FW_BOLD, FontOf(about, AboutWindow::kLabel15).lfWeight);
}

TEST_F(AboutWindowTest, ClosingOnlyHidesIt) {
  HWND about = ShowPluginWindow(kAboutCommand, AboutWindow::kClassName);
  ASSERT_NE(nullptr, about);
  SendMessageA(about, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(about));
  EXPECT_FALSE(IsWindowVisible(about));
  EXPECT_EQ(about, ShowPluginWindow(kAboutCommand, AboutWindow::kClassName));
  EXPECT_TRUE(IsWindowVisible(about));
}

TEST_F(AboutWindowTest, WebUpdateMenuItemShowsIt) {
  HWND web = ShowPluginWindow(kWebUpdateCommand, velq::WebUpdateWindow::kClassName);
  ASSERT_NE(nullptr, web);
  HWND about = FindPluginWindow(AboutWindow::kClassName);
  ASSERT_NE(nullptr, about);
  ASSERT_FALSE(IsWindowVisible(about));
  HMENU menu = GetMenu(web);
  ASSERT_NE(nullptr, menu);
  char item[16] = {};
  GetMenuStringA(menu, velq::WebUpdateWindow::kAboutTpUpdate, item, sizeof item, MF_BYCOMMAND);
  EXPECT_STREQ("About", item);
  SendMessageA(web, WM_COMMAND, MAKEWPARAM(velq::WebUpdateWindow::kAboutTpUpdate, 0), 0);
  EXPECT_TRUE(IsWindowVisible(about));
}

}  // namespace
